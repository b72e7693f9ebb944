#include "sigdb/database_loader.hpp"

#include <string>
#include <vector>

#include "io/cls_file.hpp"
#include "sigdb/cls_xor.hpp"
#include "sigdb/hex_decode.hpp"
#include "sigdb/substitution.hpp"

namespace kestro::sigdb {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The deciphered text with its NUL characters removed (the text form the records
// are read from).
std::string DecipheredText(std::span<const std::uint8_t> fileBytes) {
  std::vector<std::uint8_t> block(fileBytes.begin(), fileBytes.end());
  clsXOR cipher;
  cipher.DecryptByte(block, kDatabaseKey);
  std::string text;
  text.reserve(block.size());
  for (const std::uint8_t b : block) {
    if (b != 0) text.push_back(static_cast<char>(b));
  }
  return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(kLineEnd, start);
    if (end == std::string_view::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + kLineEnd.size();
  }
  lines.push_back(text.substr(start));
  return lines;
}

std::string DecodeHeaderLine(std::string_view line) { return HexDecode(RemoveBlanks(line)); }

// Decodes a record line into `record` (a buffer reused across lines) and splits it.
bool DecodeRecordLine(std::string_view line, std::string& record, std::string& name, std::string& signature) {
  DecodeBlankedHexInto(line, record);
  SubstituteRecordInPlace(record);
  const std::size_t first = record.find(';');
  if (record.empty() || first == std::string::npos) return false;
  const std::size_t second = record.find(';', first + 1);
  name.assign(record, 0, first);
  signature.assign(record, first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  return true;
}

}  // namespace

bool DecodeRecordLine(std::string_view line, std::string& name, std::string& signature) {
  std::string record;
  return DecodeRecordLine(line, record, name, signature);
}

LoadOutcome LoadDatabaseBytes(std::span<const std::uint8_t> fileBytes, DatabaseKind kind,
                              SignatureList& list, DatabaseValues& values) {
  LoadOutcome outcome;
  const std::string text = DecipheredText(fileBytes);
  const std::vector<std::string_view> lines = SplitLines(text);
  outcome.lines = lines.size();
  if (lines.size() > kMaxDatabaseLines) {
    outcome.status = LoadStatus::TooManyLines;
    return outcome;
  }

  const std::size_t firstRecord = HeaderLineCount(kind);
  if (lines.size() > firstRecord) list.Reserve(list.Count() + (lines.size() - firstRecord));
  std::string record;
  std::string name;
  std::string signature;
  for (std::size_t i = firstRecord; i < lines.size(); ++i) {
    if (kind == DatabaseKind::FileChecksum && i == firstRecord) {
      // The header is taken together with the records (the first one sets it), so
      // a file that holds only its header leaves the version empty and the date unset.
      values.DatabaseVersion = DecodeHeaderLine(lines[0]);
      const std::optional<Date> date = ParseDatabaseDate(DecodeHeaderLine(lines[1]));
      if (!date) {
        outcome.stop = LoadStop::BadHeaderDate;
        outcome.stopLine = 1;
        return outcome;
      }
      values.DatabaseDate = date;
    }
    if (!DecodeRecordLine(lines[i], record, name, signature)) {
      const bool finalPiece = i + 1 == lines.size() && lines[i].empty();
      outcome.stop = finalPiece ? LoadStop::FinalLineEnd : LoadStop::BadRecord;
      outcome.stopLine = i;
      return outcome;
    }
    list.Append(std::move(name), std::move(signature));
    ++outcome.records;
  }
  return outcome;
}

LoadOutcome LoadDatabaseFile(const std::filesystem::path& path, DatabaseKind kind,
                             SignatureList& list, DatabaseValues& values) {
  LoadOutcome outcome;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
    outcome.status = LoadStatus::Missing;
    return outcome;
  }

  const checks::clsFile file;
  const std::int32_t handle = file.VbOpenFile(path, 1, 4);
  if (handle <= 0) {
    outcome.status = LoadStatus::ReadError;
    return outcome;
  }
  const std::int64_t size = file.FileLen64(handle);
  checks::Bytes bytes;
  if (size > kMaxDatabaseBytes) {
    outcome.status = LoadStatus::TooLarge;
  } else if (size < 0 ||
             (size > 0 && file.VbReadFileB(handle, 1, static_cast<std::int32_t>(size), bytes) != size)) {
    outcome.status = LoadStatus::ReadError;
  }
  file.VbCloseFile(handle);
  if (outcome.status != LoadStatus::Loaded) return outcome;
  return LoadDatabaseBytes(bytes, kind, list, values);
}

LoadAllOutcome LoadDatabases(const std::filesystem::path& folder, SignatureLists& lists,
                             DatabaseValues& values) {
  LoadAllOutcome all;
  for (int k = 0; k < 3; ++k) {
    const auto kind = static_cast<DatabaseKind>(k);
    const LoadOutcome outcome =
        LoadDatabaseFile(folder / DatabaseFileName(kind), kind, ListFor(lists, kind), values);
    all.outcomes[k] = outcome;
    if (outcome.status == LoadStatus::Missing) {
      all.status = LoadStatus::Missing;
      all.missingKind = kind;
      return all;
    }
  }
  return all;
}

}  // namespace kestro::sigdb
