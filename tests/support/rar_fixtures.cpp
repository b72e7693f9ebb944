#include "tests/support/rar_fixtures.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.hpp"

namespace kestro::test {

std::vector<RarMember> NestedFolderMembers() {
  return {
      TextMember("top.txt", "top level"),
      FolderMember("dir"),
      FolderMember("dir/sub"),
      TextMember("dir/sub/deep.txt", "two levels down"),
      TextMember("dir/evil.exe", "MZ not really a program"),
  };
}

std::vector<RarMember> UnsafeNameMembers() {
  return {
      TextMember("../escape.txt", "parent"),
      TextMember("..\\..\\twice.txt", "grandparent"),
      TextMember("/rooted.txt", "root"),
      TextMember("C:\\drive.txt", "drive"),
      TextMember("stream.txt:hidden", "stream"),
      TextMember("dir/../../up.txt", "inner parent"),
      TextMember("kept.txt", "plain"),
  };
}

std::vector<RarMember> DamagedMemberMembers() {
  RarMember damaged = TextMember("damaged.bin", std::string(64, '\xA5') + "these bytes do not decode");
  damaged.damaged = true;
  return {TextMember("first.txt", "first"), damaged, TextMember("after.txt", "after")};
}

std::filesystem::path LibarchiveSampleFolder() {
  const char* value = std::getenv("KESTRO_LIBARCHIVE_CACHE");
  if (value == nullptr || *value == '\0') return {};
  std::string text(value);
#ifdef _WIN32
  if (text[0] == '/') text = "Z:" + text;  // the Unix root under Wine
#endif
  std::error_code ec;
  const std::filesystem::path sources = std::filesystem::path(text) / "src";
  for (const auto& entry : std::filesystem::directory_iterator(sources, ec)) {
    const auto tests = entry.path() / "libarchive" / "test";
    if (entry.path().filename().string().starts_with("libarchive-") &&
        std::filesystem::is_directory(tests, ec)) {
      return tests;
    }
  }
  return {};
}

std::vector<std::uint8_t> Uudecode(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream lines{std::string(text)};
  std::string line;
  bool inBody = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!inBody) {
      inBody = line.starts_with("begin ");
      continue;
    }
    if (line == "end") return bytes;
    if (line.empty()) continue;
    const auto decode = [](char c) { return static_cast<unsigned>((c - ' ') & 0x3F); };
    const unsigned count = decode(line[0]);
    if (count == 0) continue;
    if (line.size() < 1 + (count + 2) / 3 * 4) return {};
    for (unsigned i = 0, pos = 1; i < count; pos += 4) {
      const unsigned group = (decode(line[pos]) << 18) | (decode(line[pos + 1]) << 12) |
                             (decode(line[pos + 2]) << 6) | decode(line[pos + 3]);
      for (int shift = 16; shift >= 0 && i < count; shift -= 8, ++i) {
        bytes.push_back(static_cast<std::uint8_t>((group >> shift) & 0xFFu));
      }
    }
  }
  return {};  // no "end" line
}

bool DecodeLibarchiveSample(std::string_view name, const std::filesystem::path& destination) {
  const auto folder = LibarchiveSampleFolder();
  if (folder.empty()) return false;
  std::ifstream in(folder / (std::string(name) + ".uu"), std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  const auto bytes = Uudecode(text.str());
  if (bytes.empty()) return false;
  WriteFile(destination, bytes);
  return true;
}

}  // namespace kestro::test
