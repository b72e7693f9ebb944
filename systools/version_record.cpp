#include "systools/version_record.hpp"

namespace kestro::systools {

std::wstring TranslationKey(std::uint16_t language, std::uint16_t codePage) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  const std::uint32_t value = (static_cast<std::uint32_t>(language) << 16) | codePage;
  std::wstring key(8, L'0');
  for (int i = 0; i < 8; ++i) key[static_cast<std::size_t>(7 - i)] = kDigits[(value >> (4 * i)) & 0xF];
  return key;
}

std::wstring VersionFieldText(std::optional<std::wstring_view> value) {
  if (!value) return kNotAvailable;
  std::wstring_view text = *value;
  const std::size_t nul = text.find(L'\0');
  if (nul != std::wstring_view::npos) text = text.substr(0, nul);
  text = text.substr(0, 255);
  if (text.find_first_not_of(L' ') == std::wstring_view::npos) return kNotAvailable;
  return std::wstring(text);
}

VersionRecord BuildVersionRecord(const VersionSource& source) {
  VersionRecord record;
  if (!source.translation || !source.query) return record;
  const std::wstring key = TranslationKey(source.translation->first, source.translation->second);
  for (std::size_t i = 0; i < kVersionStringNames.size(); ++i) {
    const auto value = source.query(L"\\StringFileInfo\\" + key + L"\\" + kVersionStringNames[i]);
    record.fields[i] = value ? VersionFieldText(std::wstring_view(*value)) : std::wstring(kNotAvailable);
  }
  if (source.languageName) {
    const auto name = source.languageName(source.translation->first);
    record.fields[12] = name ? VersionFieldText(std::wstring_view(*name)) : std::wstring(kNotAvailable);
  }
  return record;
}

}  // namespace kestro::systools
