#pragma once
// Facts of the signature database file format shared by the loader and the
// database tool.
//
// A database file is text enciphered as a whole with clsXOR under kDatabaseKey.
// Lines are separated by CR LF. DB_0x.avn starts with two header lines (version,
// date); every other line is a record: the record text "name;signature" after
// two inverse substitution passes, written as two hexadecimal digits per
// character (blanks anywhere in a line are ignored). Header lines are written in
// hexadecimal too, without substitution.

#include <cstddef>
#include <optional>
#include <string_view>

#include "sigdb/signature_list.hpp"

namespace kestro::sigdb {

enum class DatabaseKind : int {
  FileChecksum = 0,  // DB_0x.avn: sampled file checksums, with the header
  SectionHead = 1,   // DB_1x.avn: hexadecimal heads of the last PE section
  Icon = 2,          // DB_2x.avn: icon values
};

inline constexpr std::string_view kDatabaseKey = "TRIVEL_QX";

// A file of more lines than this loads no record at all (the last line index
// must fit a signed 16-bit number).
inline constexpr std::size_t kMaxDatabaseLines = 32768;

// Header lines at the start of a file of this kind.
constexpr std::size_t HeaderLineCount(DatabaseKind kind) {
  return kind == DatabaseKind::FileChecksum ? 2 : 0;
}

// The most records the tool writes into one file: the header lines and the empty
// piece after the final CR LF count against kMaxDatabaseLines.
constexpr std::size_t MaxRecordCount(DatabaseKind kind) {
  return kMaxDatabaseLines - HeaderLineCount(kind) - 1;
}

constexpr std::string_view DatabaseFileName(DatabaseKind kind) {
  switch (kind) {
    case DatabaseKind::FileChecksum: return "DB_0x.avn";
    case DatabaseKind::SectionHead: return "DB_1x.avn";
    case DatabaseKind::Icon: return "DB_2x.avn";
  }
  return "";
}

// The kind for 0, 1 or 2.
constexpr std::optional<DatabaseKind> DatabaseKindFromNumber(int number) {
  if (number < 0 || number > 2) return std::nullopt;
  return static_cast<DatabaseKind>(number);
}

inline SignatureList& ListFor(SignatureLists& lists, DatabaseKind kind) {
  switch (kind) {
    case DatabaseKind::FileChecksum: return lists.fileChecksums;
    case DatabaseKind::SectionHead: return lists.sectionHeads;
    case DatabaseKind::Icon: return lists.icons;
  }
  return lists.fileChecksums;
}

}  // namespace kestro::sigdb
