#pragma once
// Loads signature database files into the signature lists.
//
// The loader works in memory: the file is read through clsFile, deciphered,
// cleared of NUL characters, split at CR LF and decoded record by record. No
// temporary file is written.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "sigdb/database_format.hpp"
#include "sigdb/database_values.hpp"
#include "sigdb/signature_list.hpp"

namespace kestro::sigdb {

// What the caller shows, and then ends the program, when a database file is
// missing. The message box title is kDatabaseMissingTitle (the program title is
// not known yet at that point of start-up).
inline constexpr std::string_view kDatabaseMissingMessage =
    "Virus database or signature file not found !\r\nKESTRO will be terminate now ...";
inline constexpr std::string_view kDatabaseMissingTitle = "KESTRO Antivirus";

// Files larger than this are not read (no database comes near it: 32,768 lines
// of about 2 KB each); reading them would only tie up memory.
inline constexpr std::int64_t kMaxDatabaseBytes = 64 * 1024 * 1024;

enum class LoadStatus {
  Loaded,        // the file was read; see `stop` for how far its records went
  Missing,       // no such file, or a folder: the caller shows kDatabaseMissingMessage and ends
  TooManyLines,  // more than kMaxDatabaseLines lines: no record loaded
  TooLarge,      // larger than kMaxDatabaseBytes: not read, no record loaded
  ReadError,     // the file exists but could not be read: no record loaded
};

// Why the records of a loaded file ended.
enum class LoadStop {
  EndOfFile,       // every line was a record
  FinalLineEnd,    // the empty piece after a final CR LF ended loading: the normal end
  BadRecord,       // an empty line or a line without ";" (records before it stay)
  BadHeaderDate,   // DB_0x.avn: the header date does not parse (no record loaded)
};

struct LoadOutcome {
  LoadStatus status = LoadStatus::Loaded;
  LoadStop stop = LoadStop::EndOfFile;
  std::size_t records = 0;    // records appended to the list
  std::size_t stopLine = 0;   // 0-based index of the line that ended loading (not EndOfFile)
  std::size_t lines = 0;      // lines of the deciphered text
};

// Decodes one record line: blanks removed, hexadecimal-decoded, substituted twice,
// split at ";". Answers false for an empty line or one without ";". With several
// ";" the first two fields are used.
bool DecodeRecordLine(std::string_view line, std::string& name, std::string& signature);

// Loads the raw (enciphered) bytes of a file as a database of `kind`: appends its records
// to `list` and, for DB_0x.avn, sets the version and date in `values`.
LoadOutcome LoadDatabaseBytes(std::span<const std::uint8_t> fileBytes, DatabaseKind kind,
                              SignatureList& list, DatabaseValues& values);

// Reads the file through clsFile and loads it as above.
LoadOutcome LoadDatabaseFile(const std::filesystem::path& path, DatabaseKind kind,
                             SignatureList& list, DatabaseValues& values);

// Loads DB_0x.avn, DB_1x.avn and DB_2x.avn from `folder`, in that order, into
// their lists. Stops at the first missing file and answers Missing for it
// (`missingKind` tells which); any other outcome goes on with the next file.
struct LoadAllOutcome {
  LoadStatus status = LoadStatus::Loaded;
  DatabaseKind missingKind = DatabaseKind::FileChecksum;
  LoadOutcome outcomes[3];
};
LoadAllOutcome LoadDatabases(const std::filesystem::path& folder, SignatureLists& lists,
                             DatabaseValues& values);

}  // namespace kestro::sigdb
