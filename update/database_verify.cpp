#include "update/database_verify.hpp"

#include "sigdb/database_loader.hpp"

namespace kestro::update {
namespace {

DatabaseCheck Refused(std::string reason) {
  DatabaseCheck check;
  check.reason = std::move(reason);
  return check;
}

}  // namespace

std::string DigestMismatchReason() {
  return "the file does not match the SHA-256 digest of the update index";
}
std::string MalformedDigestReason() {
  return "the SHA-256 line of the update index for this file is malformed";
}

DatabaseCheck VerifyDatabase(std::span<const std::uint8_t> bytes, sigdb::DatabaseKind kind,
                             const FileDigest& digest) {
  if (digest.state == FileDigest::State::Malformed) return Refused(MalformedDigestReason());
  if (digest.state == FileDigest::State::Given && Sha256Of(bytes) != digest.value) {
    return Refused(DigestMismatchReason());
  }
  if (bytes.empty()) return Refused("the file is empty");
  if (bytes.size() > static_cast<std::size_t>(sigdb::kMaxDatabaseBytes))
    return Refused("the file is too large for a database");

  sigdb::SignatureList list;
  sigdb::DatabaseValues values;
  const sigdb::LoadOutcome outcome = sigdb::LoadDatabaseBytes(bytes, kind, list, values);
  if (outcome.status == sigdb::LoadStatus::TooManyLines)
    return Refused("the file has more lines than a database may hold");
  if (outcome.status != sigdb::LoadStatus::Loaded) return Refused("the file could not be loaded");
  if (outcome.stop == sigdb::LoadStop::BadHeaderDate) {
    return Refused("the header date is not a date (the file does not decipher as a database)");
  }
  if (outcome.stop != sigdb::LoadStop::FinalLineEnd) {
    // Not even one line end: nothing of it reads as database text.
    if (outcome.lines == 1) return Refused("it has no line end (the file does not decipher as a database)");
    // A last piece that is not empty means the file does not end with CR LF:
    // whatever that piece holds, no database file stops there.
    if (outcome.stop == sigdb::LoadStop::EndOfFile || outcome.stopLine + 1 == outcome.lines) {
      return Refused("the file does not end with a line end (it is cut short)");
    }
    if (outcome.records == 0)
      return Refused("its first record is not a record (the file does not decipher as a database)");
    return Refused("line " + std::to_string(outcome.stopLine + 1) + " is not a record (the file is damaged)");
  }
  if (kind == sigdb::DatabaseKind::FileChecksum && !values.DatabaseDate) {
    return Refused("the header date is missing");
  }
  DatabaseCheck check;
  check.ok = true;
  check.records = outcome.records;
  return check;
}

}  // namespace kestro::update
