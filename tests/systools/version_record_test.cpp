// The version record: key, "N/A" rules, field order.
#include "systools/version_record.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kestro::systools {
namespace {

TEST(VersionRecordTest, TranslationKey) {
  EXPECT_EQ(TranslationKey(0x0409, 0x04B0), L"040904B0");
  EXPECT_EQ(TranslationKey(0x0409, 0x04E4), L"040904E4");
  EXPECT_EQ(TranslationKey(0x0000, 0x0000), L"00000000");
  EXPECT_EQ(TranslationKey(0x0421, 0x0001), L"04210001");
  EXPECT_EQ(TranslationKey(0xFFFF, 0xABCD), L"FFFFABCD");
}

TEST(VersionRecordTest, FieldTexts) {
  EXPECT_EQ(VersionFieldText(std::nullopt), L"N/A");
  EXPECT_EQ(VersionFieldText(L""), L"N/A");
  EXPECT_EQ(VersionFieldText(L"   "), L"N/A");
  EXPECT_EQ(VersionFieldText(std::wstring_view(L"\0tail", 5)), L"N/A");
  EXPECT_EQ(VersionFieldText(std::wstring_view(L"KESTRO\0junk", 11)), L"KESTRO");
  EXPECT_EQ(VersionFieldText(L" padded "), L" padded ");  // kept as written when not blank
  EXPECT_EQ(VersionFieldText(std::wstring(300, L'v')).size(), 255u);
}

TEST(VersionRecordTest, RecordFromAStringTable) {
  std::map<std::wstring, std::wstring> table = {
      {L"\\StringFileInfo\\040904B0\\CompanyName", L"KESTRO"},
      {L"\\StringFileInfo\\040904B0\\FileDescription", L"Engine"},
      {L"\\StringFileInfo\\040904B0\\FileVersion", L"4.2.0.1"},
      {L"\\StringFileInfo\\040904B0\\LegalTrademarks", L"  "},
      {L"\\StringFileInfo\\040904E4\\Comments", L"another table"},
  };
  VersionSource source;
  source.translation = std::pair<std::uint16_t, std::uint16_t>{0x0409, 0x04B0};
  source.query = [&table](const std::wstring& subBlock) -> std::optional<std::wstring> {
    const auto it = table.find(subBlock);
    if (it == table.end()) return std::nullopt;
    return it->second;
  };
  source.languageName = [](std::uint16_t language) -> std::optional<std::wstring> {
    if (language == 0x0409) return L"English (United States)";
    return std::nullopt;
  };
  const VersionRecord record = BuildVersionRecord(source);
  EXPECT_EQ(record[VersionField::CompanyName], L"KESTRO");
  EXPECT_EQ(record[VersionField::FileDescription], L"Engine");
  EXPECT_EQ(record[VersionField::FileVersion], L"4.2.0.1");
  EXPECT_EQ(record[VersionField::Comments], L"N/A");         // missing in this table
  EXPECT_EQ(record[VersionField::LegalTrademarks], L"N/A");  // blank
  EXPECT_EQ(record[VersionField::SpecialBuild], L"N/A");
  EXPECT_EQ(record[VersionField::LanguageName], L"English (United States)");

  source.translation = std::pair<std::uint16_t, std::uint16_t>{0x0407, 0x04B0};
  const VersionRecord other = BuildVersionRecord(source);
  EXPECT_EQ(other[VersionField::CompanyName], L"N/A");
  EXPECT_EQ(other[VersionField::LanguageName], L"N/A");
}

TEST(VersionRecordTest, NoVersionInformationGivesAllNotAvailable) {
  const VersionRecord record = BuildVersionRecord(VersionSource{});
  for (const std::wstring& field : record.fields) EXPECT_EQ(field, L"N/A");
}

}  // namespace
}  // namespace kestro::systools
