#pragma once
// A test-only writer of stored (uncompressed) RAR archives, in the RAR 4 block
// format (RAR 2.9 to 4.x) and the RAR 5 format, following the public format
// descriptions. It writes just enough for readers to list and extract members,
// and can damage a member or mark it encrypted on purpose.

#include <cstdint>
#include <string>
#include <vector>

namespace kestro::test {

enum class RarFormat { Rar4, Rar5 };

struct RarMember {
  std::string name;                // stored as given (RAR 4 writers use '\', RAR 5 '/')
  std::vector<std::uint8_t> data;  // member contents (empty for folders)
  bool folder = false;
  bool damaged = false;    // the data is declared compressed, so it does not decode
  bool encrypted = false;  // marked as encrypted (the data is left as it is)
};

struct RarOptions {
  bool volume = false;  // the main header says "first volume of a set"
};

std::vector<std::uint8_t> WriteStoredRar(RarFormat format, const std::vector<RarMember>& members,
                                         const RarOptions& options = {});

// A file member with text contents.
RarMember TextMember(std::string name, std::string_view text);
RarMember FolderMember(std::string name);

}  // namespace kestro::test
