#include "checks/extension_list.hpp"

namespace kestro::checks {

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool PassesExtensionListText(std::string_view pathText, std::string_view list, std::size_t tailChars) {
  // Characters, not bytes: step back over UTF-8 continuation bytes.
  std::size_t start = pathText.size();
  for (std::size_t taken = 0; taken < tailChars && start > 0; ++taken) {
    --start;
    while (start > 0 && (static_cast<unsigned char>(pathText[start]) & 0xC0u) == 0x80u) --start;
  }
  // A search of the upper-cased tail in the upper-cased list, without copies:
  // the checks run this several times on every file.
  const std::string_view tail = pathText.substr(start);
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (std::size_t at = 0; at + tail.size() <= list.size(); ++at) {
    std::size_t k = 0;
    while (k < tail.size() && upper(list[at + k]) == upper(tail[k])) ++k;
    if (k == tail.size()) return true;
  }
  return false;
}

bool PassesExtensionList(const std::filesystem::path& path, std::string_view list, std::size_t tailChars) {
  return PassesExtensionListText(PathUtf8(path), list, tailChars);
}

}  // namespace kestro::checks
