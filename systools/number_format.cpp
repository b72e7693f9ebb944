#include "systools/number_format.hpp"

namespace kestro::systools {

std::wstring FormatThousands(std::int64_t value) {
  if (value == 0) return {};
  // Work on the magnitude as unsigned, so the most negative value has one too.
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::wstring reversed;
  int digits = 0;
  while (magnitude != 0) {
    if (digits != 0 && digits % 3 == 0) reversed.push_back(L',');
    reversed.push_back(static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
    ++digits;
  }
  if (value < 0) reversed.push_back(L'-');
  return {reversed.rbegin(), reversed.rend()};
}

}  // namespace kestro::systools
