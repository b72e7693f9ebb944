#include "update/version_compare.hpp"

namespace kestro::update {

std::string VersionDigits(std::string_view version) {
  std::string digits;
  for (const char c : version) {
    if (c != '.') digits.push_back(c);
  }
  return digits;
}

bool IsNewerVersion(std::string_view serverDigits, std::string_view localDigits) {
  // std::string_view compares char_traits<char>::lt, which orders as unsigned
  // char: the code-unit order of the bytes.
  return serverDigits.compare(localDigits) > 0;
}

}  // namespace kestro::update
