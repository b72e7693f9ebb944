#include "sigdb/database_writer.hpp"

#include "sigdb/cls_xor.hpp"
#include "sigdb/hex_decode.hpp"
#include "sigdb/substitution.hpp"

namespace kestro::sigdb {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string_view FieldProblem(std::string_view field) {
  if (field.empty()) return "is empty";
  if (field.find(';') != std::string_view::npos) return "contains ';'";
  if (field.find_first_of("\r\n") != std::string_view::npos) return "contains a line break";
  return {};
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

std::string RecordProblem(const SignatureRecord& record) {
  if (const auto p = FieldProblem(record.name); !p.empty()) return "name " + std::string(p);
  if (const auto p = FieldProblem(record.signature); !p.empty()) return "signature " + std::string(p);
  return {};
}

BuildOutcome BuildDatabase(DatabaseKind kind, const DatabaseHeader& header,
                           std::span<const SignatureRecord> records) {
  BuildOutcome outcome;
  if (records.size() > MaxRecordCount(kind)) {
    outcome.error = std::to_string(records.size()) + " records: a " + std::string(DatabaseFileName(kind)) +
                    " file holds at most " + std::to_string(MaxRecordCount(kind));
    return outcome;
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (const std::string problem = RecordProblem(records[i]); !problem.empty()) {
      outcome.error = "record " + std::to_string(i + 1) + " (" + records[i].name + "): " + problem;
      return outcome;
    }
  }

  std::string text;
  if (kind == DatabaseKind::FileChecksum) {
    text += HexEncode(header.version);
    text += kLineEnd;
    text += HexEncode(FormatDatabaseDate(header.date));
    text += kLineEnd;
  }
  for (const SignatureRecord& r : records) {
    text += HexEncode(UnsubstituteRecord(r.name + ";" + r.signature));
    text += kLineEnd;
  }

  outcome.bytes.assign(text.begin(), text.end());
  clsXOR cipher;
  cipher.EncryptByte(outcome.bytes, kDatabaseKey);
  return outcome;
}

SourceOutcome ParseSourceText(std::string_view text) {
  SourceOutcome outcome;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (IsBlank(line) || line.starts_with('#')) continue;

    const std::size_t separator = line.find(';');
    if (separator == std::string_view::npos) {
      outcome.error = "line " + std::to_string(lineNumber) + ": no ';' between name and signature";
      return outcome;
    }
    SignatureRecord record{std::string(line.substr(0, separator)), std::string(line.substr(separator + 1))};
    if (const std::string problem = RecordProblem(record); !problem.empty()) {
      outcome.error = "line " + std::to_string(lineNumber) + ": " + problem;
      return outcome;
    }
    outcome.records.push_back(std::move(record));
  }
  return outcome;
}

}  // namespace kestro::sigdb
