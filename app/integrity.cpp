#include "app/integrity.hpp"

#include "io/crc32.hpp"

namespace kestro::app {

std::wstring EngineIntegrityValue(std::wstring_view program, std::wstring_view version, std::wstring_view build,
                                  std::wstring_view site) {
  std::string joined;
  for (const auto part : {program, version, build, site}) {
    if (!joined.empty()) joined.push_back('|');
    for (const wchar_t c : part) joined.push_back(static_cast<char>(c & 0xFF));
  }
  const std::uint32_t crc = checks::Crc32(joined);
  std::wstring text(8, L'0');
  constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  for (int i = 0; i < 8; ++i) text[static_cast<std::size_t>(i)] = kDigits[(crc >> (28 - 4 * i)) & 0xFu];
  return text;
}

std::wstring IntegrityFailureMessage(std::wstring_view fileName, std::wstring_view programTitle) {
  return L"File " + std::wstring(fileName) + L" is damaged or has been replaced !!\r\nPlease reinstall " +
         std::wstring(programTitle) + L".";
}

}  // namespace kestro::app
