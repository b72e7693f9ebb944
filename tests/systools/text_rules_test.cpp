// Number, size and path texts of the system tools.
#include <gtest/gtest.h>

#include <string>

#include "systools/number_format.hpp"
#include "systools/path_normalise.hpp"
#include "systools/size_text.hpp"
#include "systools/system_information.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::systools {
namespace {

TEST(NumberFormatTest, ThousandsPicture) {
  const struct {
    std::int64_t value;
    const wchar_t* text;
  } cases[] = {
      {0, L""},
      {1, L"1"},
      {999, L"999"},
      {1000, L"1,000"},
      {1022, L"1,022"},
      {123456, L"123,456"},
      {1234567, L"1,234,567"},
      {-1234, L"-1,234"},
      {INT64_MIN, L"-9,223,372,036,854,775,808"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatThousands(c.value), c.text) << c.value;
}

TEST(SizeTextTest, Thresholds) {
  const struct {
    std::int64_t size;
    const wchar_t* text;
  } cases[] = {
      {0, L"  B"},
      {1, L"1  B"},
      {1022, L"1,022  B"},
      {1023, L" KB"},  // 1,023 / 1,024 has integer part 0, and the picture prints no digit
      {1024, L"1 KB"},
      {2048, L"2 KB"},
      {1048574, L"1,023 KB"},
      {1048575, L" MB"},
      {5242880, L"5 MB"},
      {1073741822, L"1,023 MB"},
      {1073741823, L" GB"},
      {1073741824, L"1 GB"},
      {5LL * 1073741824, L"5 GB"},  // beyond 32 bits, still the GB row
      {2048LL * 1073741824, L"2,048 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.size), c.text) << c.size;
}

TEST(SizeTextTest, ReadsTheFileAndIsEmptyWhenItCannot) {
  test::TempDir dir;
  test::WriteFile(dir / "empty", "");
  test::WriteFile(dir / "small", std::string(1022, 'x'));
  test::WriteFile(dir / "two", std::string(2048, 'x'));
  EXPECT_EQ(FileSizeText(dir / "empty"), L"  B");
  EXPECT_EQ(FileSizeText(dir / "small"), L"1,022  B");
  EXPECT_EQ(FileSizeText(dir / "two"), L"2 KB");
  EXPECT_EQ(FileSizeText(dir / "missing"), L"");
}

TEST(SizeTextTest, MemoryUsageInKilobytes) {
  EXPECT_EQ(MemoryUsageText(0), L" KB");
  EXPECT_EQ(MemoryUsageText(1023), L" KB");
  EXPECT_EQ(MemoryUsageText(4096), L"4 KB");
  EXPECT_EQ(MemoryUsageText(123456789), L"120,563 KB");
}

TEST(PathNormaliseTest, ProcessPathForms) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\Program Files\\a.exe", L"C:\\Program Files\\a.exe"},
      {L"\\??\\C:\\Windows\\system32\\csrss.exe", L"C:\\Windows\\system32\\csrss.exe"},
      {L"\\\\?\\C:\\tools\\b.exe", L"C:\\tools\\b.exe"},
      {L"\\SystemRoot\\System32\\smss.exe", L"C:\\Windows\\System32\\smss.exe"},
      {L"\\systemroot\\System32\\smss.exe", L"C:\\Windows\\System32\\smss.exe"},
      {L"%SystemRoot%\\system32\\svchost.exe", L"C:\\Windows\\system32\\svchost.exe"},
      {L"C:\\dir\\\\sub\\\\c.exe", L"C:\\dir\\sub\\c.exe"},
      // Network paths keep the "\\" that names their server.
      {L"\\\\server\\share\\\\d.exe", L"\\\\server\\share\\d.exe"},
      {L"\\\\?\\UNC\\server\\share\\e.exe", L"\\\\server\\share\\e.exe"},
      {L"\\??\\unc\\server\\share\\e.exe", L"\\\\server\\share\\e.exe"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormaliseProcessPath(c.in, L"C:\\Windows"), c.out) << c.in;
  // A Windows folder given with its trailing "\" is not doubled.
  EXPECT_EQ(NormaliseProcessPath(L"\\SystemRoot\\x.exe", L"D:\\WINNT\\"), L"D:\\WINNT\\x.exe");
}

TEST(PathNormaliseTest, DevicePathsAndFileNames) {
  const std::vector<DriveDevice> drives = {{L"C:", L"\\Device\\HarddiskVolume1"},
                                           {L"D:", L"\\Device\\HarddiskVolume10"}};
  EXPECT_EQ(DevicePathToDrivePath(L"\\Device\\HarddiskVolume1\\Windows\\explorer.exe", drives),
            L"C:\\Windows\\explorer.exe");
  EXPECT_EQ(DevicePathToDrivePath(L"\\Device\\HarddiskVolume10\\x.exe", drives), L"D:\\x.exe");
  EXPECT_EQ(DevicePathToDrivePath(L"\\Device\\Other\\y.exe", drives), L"\\Device\\Other\\y.exe");
  EXPECT_EQ(FileNameOf(L"C:\\Windows\\explorer.exe"), L"explorer.exe");
  EXPECT_EQ(FileNameOf(L"plain.exe"), L"plain.exe");
  EXPECT_EQ(FileNameOf(L"C:\\dir\\"), L"");
}

TEST(SystemInformationTest, LinesAndTheWindowsXPRule) {
  EXPECT_EQ(OperatingSystemLine(L"Microsoft Windows 7 Professional", L"Service Pack 1"),
            L"Microsoft Windows 7 Professional ( Service Pack 1 )");
  EXPECT_EQ(OperatingSystemLine(L"Microsoft Windows XP Professional", L""),
            L"Microsoft Windows XP Professional ");
  EXPECT_EQ(InformationLine(L"7601"), L": 7601");
  EXPECT_EQ(IsWindowsXPFromCaption(L"Microsoft Windows XP Professional"), true);
  EXPECT_EQ(IsWindowsXPFromCaption(L"Microsoft Windows 7 Professional"), false);
  EXPECT_EQ(IsWindowsXPFromCaption(L"Microsoft Windows Vista Business"), false);
  EXPECT_EQ(IsWindowsXPFromCaption(L"Microsoft Windows 10 Pro"), std::nullopt);
}

}  // namespace
}  // namespace kestro::systools
