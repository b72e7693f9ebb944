#pragma once
// Decides whether downloaded bytes are a sound signature database of a given
// kind before they may replace the one in use: the digest the index gives, and
// a full load with the program's own loader.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "sigdb/database_format.hpp"
#include "update/update_index.hpp"

namespace kestro::update {

struct DatabaseCheck {
  bool ok = false;
  std::string reason;       // why the file is refused, for the user; empty when ok
  std::size_t records = 0;  // records the file holds (when ok)
};

// A file is sound when it matches its digest (when the index gives one), is not
// empty, deciphers into lines that all load as records up to the final CR LF
// (so a file cut short is refused), and, for DB_0x.avn, carries a header date.
// A malformed digest line refuses the file: it cannot be checked as published.
DatabaseCheck VerifyDatabase(std::span<const std::uint8_t> bytes, sigdb::DatabaseKind kind,
                             const FileDigest& digest);

// The reason given when the digest does not match.
std::string DigestMismatchReason();
std::string MalformedDigestReason();

}  // namespace kestro::update
