// File properties under Wine: the embedded-signature test on an executable
// signed with osslsigncode and on the same one unsigned, the version records
// of our own libraries; and the performance readings and system information.
#include <gtest/gtest.h>

#include <windows.h>

#include "systools/win32/file_properties.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/performance_source.hpp"
#include "systools/win32/tools_panels.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/wine/com_wine_support.hpp"
#include "tests/wine/systools_wine_support.hpp"

namespace kestro::systools {
namespace {

TEST(FilePropertiesTest, SignedAndUnsignedExecutables) {
  const auto folder = test::TestProgramFolder();
  const std::wstring unsignedFile = (folder / L"kestro_systools_signee.exe").wstring();
  const std::wstring signedFile = (folder / L"kestro_systools_signee_signed.exe").wstring();
  ASSERT_TRUE(FileExists(unsignedFile));
  EXPECT_EQ(TestEmbeddedSignature(unsignedFile), SignatureState::NotSigned);
  EXPECT_EQ(EmbeddedSignatureValue(TestEmbeddedSignature(unsignedFile)), 0);
  if (!FileExists(signedFile)) GTEST_SKIP() << "osslsigncode was not found when the tests were built";
  EXPECT_EQ(TestEmbeddedSignature(signedFile), SignatureState::Signed);
  EXPECT_EQ(EmbeddedSignatureValue(TestEmbeddedSignature(signedFile)), 1);
  // Neither a missing file nor a text file is signed.
  EXPECT_EQ(TestEmbeddedSignature((folder / L"no-such-file.exe").wstring()), SignatureState::NotSigned);
  test::TempDir dir;
  test::WriteFile(dir / "plain.txt", "not a program");
  EXPECT_EQ(TestEmbeddedSignature((dir / "plain.txt").wstring()), SignatureState::NotSigned);
}

// The build's output folder (beside tests/ when the test runs on its own).
std::filesystem::path OutFolder() {
  const auto out = test::OutputDir();
  return out.empty() ? test::TestProgramFolder().parent_path() / "out" : out;
}

TEST(FilePropertiesTest, VersionRecordsOfOurOwnLibraries) {
  const auto out = OutFolder();
  const VersionRecord keyboard = ReadVersionRecord((out / L"KESTROKeyboard.dll").wstring());
  EXPECT_EQ(keyboard[VersionField::FileDescription], L"KESTRO Virtual Keyboard");
  EXPECT_EQ(keyboard[VersionField::FileVersion], L"1.0.0.13");
  EXPECT_EQ(keyboard[VersionField::InternalName], L"KESTROKeyboard");
  EXPECT_EQ(keyboard[VersionField::ProductName], L"KESTRO Antivirus");
  EXPECT_EQ(keyboard[VersionField::ProductVersion], L"1.0.0.13");
  EXPECT_EQ(keyboard[VersionField::Comments], L"KESTRO Virtual Keyboard");
  EXPECT_EQ(keyboard[VersionField::LegalTrademarks], L"N/A");
  EXPECT_EQ(keyboard[VersionField::SpecialBuild], L"N/A");
  // The language name of 0x0409 ("English (United States)" on Windows, "English" under Wine).
  EXPECT_EQ(keyboard[VersionField::LanguageName].rfind(L"English", 0), 0u) << keyboard[VersionField::LanguageName];

  const VersionRecord engine = ReadVersionRecord((out / L"KESTROEngine.dll").wstring());
  EXPECT_EQ(engine[VersionField::FileDescription], L"KESTRO Virtual Engine");
  EXPECT_EQ(engine[VersionField::FileVersion], L"9.05.0013");
  EXPECT_EQ(engine[VersionField::CompanyName], L"N/A");

  // A program without a version resource: every field "N/A".
  const VersionRecord none = ReadVersionRecord((test::TestProgramFolder() / L"kestro_systools_signee.exe").wstring());
  for (const std::wstring& field : none.fields) EXPECT_EQ(field, L"N/A");
}

TEST(PerformanceTest, MeterPanelsAndTheirTick) {
  auto meter = CreateCpuMeter();
  meter->Initialize();
  Sleep(120);
  const std::int32_t load = meter->Query();
  EXPECT_GE(load, 0);
  EXPECT_LE(load, 100);
  const auto counts = ReadPerformanceCounts();
  ASSERT_TRUE(counts.has_value());
  EXPECT_GT(counts->physicalTotal, 0u);
  EXPECT_EQ(counts->pageSize, 4096u);
  EXPECT_GT(counts->processCount, 0u);

  test::PanelHost host;
  HWND panel = CreatePerformancePanel(host.window(), host.host());
  ASSERT_NE(panel, nullptr);
  host.Place(panel);
  SendMessageW(panel, kMsgPerformanceTick, 0, 0);
  UpdateWindow(panel);
  HousekeepingTick();
}

TEST(SystemInformationTest, WineReportsWindows7) {
  const SystemInformation information = QuerySystemInformation();
  ASSERT_TRUE(information.ok);
  EXPECT_NE(information.osCaption.find(L"Windows 7"), std::wstring::npos) << information.osCaption;
  EXPECT_NE(information.osCaption.find(L"( Service Pack 1 )"), std::wstring::npos) << information.osCaption;
  EXPECT_EQ(information.osVersionLine.rfind(L": 6.1", 0), 0u) << information.osVersionLine;
  EXPECT_EQ(information.osBuildLine, L": 7601");
  EXPECT_EQ(information.isWindowsXP, false);
  EXPECT_EQ(information.processorLine.rfind(L": ", 0), 0u);
  EXPECT_GT(information.processorLine.size(), 2u);
}

}  // namespace
}  // namespace kestro::systools
