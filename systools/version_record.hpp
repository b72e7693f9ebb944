// A file's version record: twelve version-resource strings and a language name.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::systools {

inline constexpr const wchar_t* kNotAvailable = L"N/A";

// The string names, queried exactly as written, in the record's order.
inline constexpr std::array<const wchar_t*, 12> kVersionStringNames = {
    L"CompanyName",    L"FileDescription",  L"FileVersion", L"InternalName",
    L"LegalCopyright", L"OriginalFileName", L"ProductName", L"ProductVersion",
    L"Comments",       L"LegalTrademarks",  L"PublicBuild", L"SpecialBuild",
};

enum class VersionField {
  CompanyName,
  FileDescription,
  FileVersion,
  InternalName,
  LegalCopyright,
  OriginalFileName,
  ProductName,
  ProductVersion,
  Comments,
  LegalTrademarks,
  PublicBuild,
  SpecialBuild,
  LanguageName,
};

struct VersionRecord {
  std::array<std::wstring, 13> fields;  // "N/A" where missing
  VersionRecord() { fields.fill(kNotAvailable); }
  const std::wstring& operator[](VersionField field) const { return fields[static_cast<std::size_t>(field)]; }
};

// The string-table key of a translation entry: eight upper-case hexadecimal
// digits, language first ("040904B0").
std::wstring TranslationKey(std::uint16_t language, std::uint16_t codePage);

// A value as the record keeps it: up to its first NUL, at most 255
// characters, and "N/A" when missing or blank after trimming spaces.
std::wstring VersionFieldText(std::optional<std::wstring_view> value);

// What the record is built from: the version information of a file.
struct VersionSource {
  // The first translation entry (language, code page); none without one.
  std::optional<std::pair<std::uint16_t, std::uint16_t>> translation;
  // Looks a sub-block up ("\StringFileInfo\040904B0\CompanyName").
  std::function<std::optional<std::wstring>(const std::wstring& subBlock)> query;
  // The name of a language identifier; none when the system has none.
  std::function<std::optional<std::wstring>(std::uint16_t language)> languageName;
};
VersionRecord BuildVersionRecord(const VersionSource& source);

}  // namespace kestro::systools
