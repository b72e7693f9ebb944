#pragma once
// Writes signature database files (the database tool's side of the format), and
// reads the tool's plain source text of `name;signature` lines.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sigdb/database_date.hpp"
#include "sigdb/database_format.hpp"

namespace kestro::sigdb {

struct SignatureRecord {
  std::string name;
  std::string signature;
  bool operator==(const SignatureRecord&) const = default;
};

// Header of DB_0x.avn.
struct DatabaseHeader {
  std::string version;
  Date date;
};

struct BuildOutcome {
  std::vector<std::uint8_t> bytes;  // the enciphered file, empty on error
  std::string error;                // why the input was refused; empty on success
};

// Why a record cannot be stored so that it loads back unchanged ("" when it can):
// an empty name or signature, or one holding ";", CR or LF.
std::string RecordProblem(const SignatureRecord& record);

// The file bytes for `records`, each line ended by CR LF. `header` is required for
// DB_0x.avn and ignored for the other kinds. Refuses more records than
// MaxRecordCount(kind) and every record with a RecordProblem.
BuildOutcome BuildDatabase(DatabaseKind kind, const DatabaseHeader& header,
                           std::span<const SignatureRecord> records);

struct SourceOutcome {
  std::vector<SignatureRecord> records;
  std::string error;  // "line N: ..." for the first bad line; empty on success
};

// Parses source text: one `name;signature` record per line (LF or CR LF), blank
// lines and lines starting with '#' ignored, a leading UTF-8 byte order mark
// skipped. A line with no ";" or more than one, or an empty field, is refused.
SourceOutcome ParseSourceText(std::string_view text);

}  // namespace kestro::sigdb
