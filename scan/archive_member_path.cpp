#include "scan/archive_member_path.hpp"

#include <array>
#include <vector>

namespace kestro::scan {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsRefusedCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x20) return true;
  switch (c) {
    case ':': case '<': case '>': case '"': case '|': case '?': case '*':
      return true;
    default:
      return false;
  }
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Windows opens a device, not a file, for these names, whatever the extension.
bool IsDeviceName(std::string_view component) {
  std::string base;
  for (const char c : component) {
    if (c == '.') break;
    base.push_back(Upper(c));
  }
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static constexpr std::array<std::string_view, 6> kNames = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const auto name : kNames) {
    if (base == name) return true;
  }
  if (base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT"))) {
    const auto digit = static_cast<unsigned char>(base[3]);
    // 1-9, and the superscript digits the ANSI code page maps to 1, 2 and 3.
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

// One component made safe; empty when nothing is left of it.
std::string SafeComponent(std::string_view component) {
  std::string safe;
  safe.reserve(component.size() + 1);
  for (const char c : component) safe.push_back(IsRefusedCharacter(c) ? '_' : c);
  while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
  if (!safe.empty() && IsDeviceName(safe)) safe.insert(safe.begin(), '_');
  return safe;
}

bool IsPlainFileName(std::string_view component) {
  if (component.empty()) return false;
  for (const char c : component) {
    if (IsRefusedCharacter(c) || IsSeparator(c)) return false;
  }
  if (component.back() == '.' || component.back() == ' ') return false;  // also rules out "." and ".."
  return !IsDeviceName(component);
}

std::vector<std::string_view> SplitComponents(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || IsSeparator(text[i])) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

}  // namespace

std::string SafeMemberName(std::string_view storedName, char separator) {
  std::string result;
  for (const auto part : SplitComponents(storedName)) {
    const std::string safe = SafeComponent(part);
    if (safe.empty()) continue;
    if (!result.empty()) result.push_back(separator);
    result += safe;
  }
  if (result.empty()) result = "_";
  return result;
}

std::string MemberExtractionPath(std::string_view extractFolder, std::string_view storedName, char separator) {
  if (extractFolder.empty()) return {};
  std::string path(extractFolder);
  if (!IsSeparator(path.back())) path.push_back(separator);
  path += SafeMemberName(storedName, separator);
  if (!LiesInsideFolder(extractFolder, path, separator)) return {};
  return path;
}

bool LiesInsideFolder(std::string_view folder, std::string_view candidate, char separator) {
  if (folder.empty()) return false;
  std::string prefix(folder);
  if (!IsSeparator(prefix.back())) prefix.push_back(separator);
  if (candidate.size() <= prefix.size() || candidate.substr(0, prefix.size()) != prefix) return false;
  for (const auto part : SplitComponents(candidate.substr(prefix.size()))) {
    if (!IsPlainFileName(part)) return false;
  }
  return true;
}

}  // namespace kestro::scan
