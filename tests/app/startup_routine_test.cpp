#include "app/startup_routine.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/identity.hpp"
#include "sigdb/database_writer.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::app {
namespace {

namespace fs = std::filesystem;

// Records every call in order; each answer can be changed by a test.
class FakePlatform : public StartupPlatform {
 public:
  std::optional<SystemLines> QuerySystemInformation() override {
    calls.push_back("system");
    return system;
  }
  fs::path WindowsFolder() override { return windowsFolder; }
  bool PrepareQuarantineFolder(const fs::path& folder) override {
    calls.push_back("quarantine " + folder.string());
    return true;
  }
  bool EnableDebugPrivilege() override {
    calls.push_back("privilege");
    return privilege;
  }
  bool FileExists(const fs::path& path) override { return existing.count(path.filename().string()) != 0; }
  bool RegisterComponent(const fs::path& path) override {
    calls.push_back("register " + path.filename().string());
    return true;
  }
  PictureLoad LoadPictures() override {
    calls.push_back("pictures");
    return pictures;
  }
  bool InitCommonControls() override {
    calls.push_back("common controls");
    return true;
  }
  bool Preload(const fs::path& path) override {
    calls.push_back("preload " + path.filename().string());
    return true;
  }
  bool LoadShellLibrary() override {
    calls.push_back("shell32");
    return true;
  }
  std::optional<std::string> EngineExport(const char* name) override {
    const auto it = exports.find(name);
    if (it == exports.end()) return std::nullopt;
    return it->second;
  }
  std::wstring FileVersion(const fs::path& path) override {
    const auto it = versions.find(path.filename().string());
    return it == versions.end() ? std::wstring() : it->second;
  }
  std::optional<FileFingerprint> Fingerprint(const fs::path& path) override {
    const auto it = fingerprints.find(path.filename().string());
    if (it == fingerprints.end()) return std::nullopt;
    return it->second;
  }
  void DeleteFolderTree(const fs::path& folder) override { calls.push_back("delete " + folder.string()); }
  void ShowMessage(std::wstring_view title, std::wstring_view text, MessageKind kind) override {
    messages.push_back({std::wstring(title), std::wstring(text), kind});
  }

  struct Message {
    std::wstring title, text;
    MessageKind kind;
  };

  std::optional<SystemLines> system = SystemLines{L"Microsoft Windows 7 Professional ( Service Pack 1 )",
                                                  L": 7601", L": Intel(R) Core(TM) i5"};
  fs::path windowsFolder = "C:\\windows";
  bool privilege = true;
  PictureLoad pictures = PictureLoad::Loaded;
  std::set<std::string> existing;
  // Engine strings as the library returns them: UTF-16 bytes, so every other byte is NUL.
  std::map<std::string, std::string> exports;
  std::map<std::string, std::wstring> versions = {
      {"KESTROEngine.dll", L"9.05.0013"}, {"KESTROInet.dll", L"1.0.0.2"}, {"KESTROGui.dll", L"1.0.0.3"}};
  std::map<std::string, FileFingerprint> fingerprints;
  std::vector<std::string> calls;
  std::vector<Message> messages;
};

std::string Utf16Bytes(std::string_view ascii) {
  std::string bytes;
  for (const char c : ascii) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

class StartupRoutineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.ProgramFolder = dir.path();
    WriteDatabases();
    const std::wstring crc = EngineIntegrityValue(L"KESTRO Antivirus", L"4.2", L"1 May 2013", L"http://kestro.example/");
    platform.exports = {{"KESTRO_Program", Utf16Bytes("KESTRO Antivirus")},
                        {"KESTRO_Version", Utf16Bytes("4.2")},
                        {"KESTRO_Build", Utf16Bytes("1 May 2013")},
                        {"KESTRO_Site", Utf16Bytes("http://kestro.example/")},
                        {"KESTRO_GetCRC", Utf16Bytes(std::string(crc.begin(), crc.end()))}};
    platform.fingerprints = {{"KESTROEngine.dll", {100, 1}}, {"KESTROInet.dll", {200, 2}}, {"RARExtract.dll", {300, 3}}};
  }

  void WriteDatabases() {
    const sigdb::DatabaseHeader header{"2013.05.01", sigdb::Date{std::chrono::year{2013}, std::chrono::May, std::chrono::day{1}}};
    const std::vector<sigdb::SignatureRecord> records = {{"Worm.Test", "ABC"}};
    for (const auto& [kind, name] : {std::pair{sigdb::DatabaseKind::FileChecksum, "DB_0x.avn"},
                                     std::pair{sigdb::DatabaseKind::SectionHead, "DB_1x.avn"},
                                     std::pair{sigdb::DatabaseKind::Icon, "DB_2x.avn"}}) {
      test::WriteFile(dir / name, sigdb::BuildDatabase(kind, header, records).bytes);
    }
  }

  StartupResult Run() { return RunStartupRoutine(platform, ctx, table); }

  test::TempDir dir;
  FakePlatform platform;
  AppContext ctx;
  std::vector<ExpectedLibrary> table = {
      {L"KESTROEngine.dll", {100, 1}}, {L"KESTROInet.dll", {200, 2}}, {L"RARExtract.dll", {300, 3}}};
};

TEST_F(StartupRoutineTest, RunsEveryStepInOrderAndFillsTheValues) {
  platform.existing = {"KESTROEngine.dll", "KESTROKeyboard.dll", "KESTROGui.dll", "KESTROInet.dll", "RARExtract.dll"};
  const auto result = Run();
  EXPECT_FALSE(result.endProgram);
  EXPECT_TRUE(result.failedSteps.empty());
  EXPECT_EQ(result.lastStep, StartupStep::RemoveExtractFolder);
  EXPECT_EQ(platform.calls,
            (std::vector<std::string>{"system", "quarantine C:\\[ KESTRO ]", "privilege",
                                      // COMCTL32.OCX is absent: not registered
                                      "register KESTROEngine.dll", "register KESTROKeyboard.dll",
                                      "register KESTROGui.dll", "register KESTROInet.dll", "register RARExtract.dll",
                                      "pictures", "common controls", "preload RARExtract.dll",
                                      "preload KESTROEngine.dll", "preload KESTROInet.dll", "shell32",
                                      "delete C:\\windows\\Temp\\KESTRO"}));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ctx.ProgramTitle, L"KESTRO Antivirus");
  EXPECT_EQ(ctx.EngineVersion, L"4.2");  // NUL characters removed
  EXPECT_EQ(ctx.EngineBuild, L"1 May 2013");
  EXPECT_EQ(ctx.EditionTag, L"( Beta )");
  EXPECT_EQ(ctx.EngineFileVersion, L"9.05.0013");
  EXPECT_EQ(ctx.OsCaption, L"Microsoft Windows 7 Professional ( Service Pack 1 )");
  EXPECT_EQ(ctx.ProcessorLine, L": Intel(R) Core(TM) i5");
  EXPECT_FALSE(ctx.IsWindowsXP);
  EXPECT_EQ(ctx.Signatures.fileChecksums.Count(), 1u);
  EXPECT_EQ(ctx.DatabaseValues.DatabaseVersion, "2013.05.01");
  EXPECT_EQ(ctx.QuarantineFolder.wstring(), L"C:\\[ KESTRO ]");
  EXPECT_EQ(ctx.ExtractFolder.wstring(), L"C:\\windows\\Temp\\KESTRO");
}

TEST_F(StartupRoutineTest, FailingStepsAreSkipped) {
  platform.system.reset();  // no WMI: both system-information steps fail
  platform.privilege = false;
  platform.pictures = PictureLoad::SomeMissing;
  ctx.IsWindowsXP = true;
  const auto result = Run();
  EXPECT_FALSE(result.endProgram);
  EXPECT_EQ(result.failedSteps, (std::vector<StartupStep>{StartupStep::OperatingSystem, StartupStep::Processor,
                                                          StartupStep::DebugPrivilege, StartupStep::Pictures}));
  EXPECT_TRUE(ctx.IsWindowsXP);  // unchanged
  EXPECT_TRUE(ctx.OsCaption.empty());
  EXPECT_EQ(platform.calls.back(), "delete C:\\windows\\Temp\\KESTRO");
}

TEST_F(StartupRoutineTest, AMissingDatabaseEndsTheStartWithItsMessage) {
  fs::remove(dir / "DB_1x.avn");
  const auto result = Run();
  EXPECT_TRUE(result.endProgram);
  EXPECT_EQ(result.lastStep, StartupStep::Databases);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, L"KESTRO Antivirus");
  EXPECT_EQ(platform.messages[0].text, L"Virus database or signature file not found !\r\nKESTRO will be terminate now ...");
  EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(platform.calls.back(), "pictures");  // nothing after it ran; the extraction folder stays
}

TEST_F(StartupRoutineTest, AMissingPictureLibraryEndsTheStart) {
  platform.pictures = PictureLoad::LibraryMissing;
  const auto result = Run();
  EXPECT_TRUE(result.endProgram);
  EXPECT_EQ(result.lastStep, StartupStep::Pictures);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, L"Sorry, file KESTROGui.dll not found !!\r\nThis program not running.");
  EXPECT_EQ(platform.messages[0].kind, MessageKind::Exclamation);
}

TEST_F(StartupRoutineTest, AnEmptyIdentityValueEndsTheStart) {
  struct Case {
    const char* what;
    std::function<void(FakePlatform&)> change;
  };
  const Case cases[] = {
      {"engine missing", [](FakePlatform& p) { p.exports.clear(); }},
      {"no site", [](FakePlatform& p) { p.exports.erase("KESTRO_Site"); }},
      {"Gui without version", [](FakePlatform& p) { p.versions.erase("KESTROGui.dll"); }},
      {"Inet without version", [](FakePlatform& p) { p.versions.erase("KESTROInet.dll"); }},
  };
  for (const auto& c : cases) {
    FakePlatform platformCopy = platform;
    c.change(platformCopy);
    AppContext fresh;
    fresh.ProgramFolder = dir.path();
    const auto result = RunStartupRoutine(platformCopy, fresh, table);
    EXPECT_TRUE(result.endProgram) << c.what;
    EXPECT_EQ(result.lastStep, StartupStep::IdentityCheck) << c.what;
    ASSERT_EQ(platformCopy.messages.size(), 1u) << c.what;
    EXPECT_EQ(platformCopy.messages[0].text, L"Engine error, not loaded !!\r\nPlease restart application");
    EXPECT_EQ(platformCopy.messages[0].title, L"KESTRO Antivirus");
  }
}

TEST_F(StartupRoutineTest, TheIntegrityCheckNamesTheFileThatFails) {
  struct Case {
    const char* what;
    std::function<void(FakePlatform&)> change;
    std::wstring file;
  };
  const Case cases[] = {
      {"replaced archive library", [](FakePlatform& p) { p.fingerprints["RARExtract.dll"].crc32 = 9; }, L"RARExtract.dll"},
      {"archive library missing", [](FakePlatform& p) { p.fingerprints.erase("RARExtract.dll"); }, L"RARExtract.dll"},
      {"other size", [](FakePlatform& p) { p.fingerprints["KESTROInet.dll"].size = 201; }, L"KESTROInet.dll"},
      {"engine texts altered", [](FakePlatform& p) { p.exports["KESTRO_Version"] = Utf16Bytes("4.3"); }, L"KESTROEngine.dll"},
  };
  for (const auto& c : cases) {
    FakePlatform platformCopy = platform;
    c.change(platformCopy);
    AppContext fresh;
    fresh.ProgramFolder = dir.path();
    const auto result = RunStartupRoutine(platformCopy, fresh, table);
    EXPECT_TRUE(result.endProgram) << c.what;
    EXPECT_EQ(result.lastStep, StartupStep::IntegrityCheck) << c.what;
    ASSERT_EQ(platformCopy.messages.size(), 1u) << c.what;
    EXPECT_EQ(platformCopy.messages[0].text, IntegrityFailureMessage(c.file, L"KESTRO Antivirus")) << c.what;
    EXPECT_NE(platformCopy.messages[0].text.find(c.file), std::wstring::npos);
    EXPECT_NE(platformCopy.calls.back().rfind("delete", 0), 0u) << c.what;  // the extraction folder stays
  }
}

TEST(StartupRules, WindowsXPRule) {
  struct Case {
    const wchar_t* caption;
    bool before, after;
  };
  const Case cases[] = {
      {L"Microsoft Windows XP Professional", false, true},
      {L"Microsoft Windows 7 Professional", true, false},
      {L"Microsoft Windows Vista Business", true, false},
      {L"Microsoft Windows 10 Pro", true, true},  // neither: unchanged
      {L"Microsoft Windows 10 Pro", false, false},
      {L"", true, true},
  };
  for (const auto& c : cases) {
    bool value = c.before;
    ApplyWindowsXPRule(c.caption, value);
    EXPECT_EQ(value, c.after) << c.caption;
  }
}

TEST(StartupRules, EngineTextWidensBytesAndDropsNuls) {
  EXPECT_EQ(EngineText(std::string("4\0.\0" "2\0", 6)), L"4.2");
  EXPECT_EQ(EngineText(""), L"");
  EXPECT_EQ(EngineText("\xE9"), L"\u00E9");
}

TEST(StartupRules, TheEngineBuiltWithThisProgramPassesTheIdentityTest) {
  const auto widen = [](std::string_view text) { return std::wstring(text.begin(), text.end()); };
  const std::string expected(engine::kIntegrityText.data(), 8);
  EXPECT_EQ(EngineIntegrityValue(widen(engine::kProgram), widen(engine::kVersion), widen(engine::kBuild),
                                 widen(engine::kSite)),
            widen(expected));
}

TEST(StartupRules, EngineIntegrityValueIsEightDigits) {
  const auto value = EngineIntegrityValue(L"KESTRO Antivirus", L"4.2", L"1 May 2013", L"http://www.kestro-antivirus.example/");
  EXPECT_EQ(value.size(), 8u);
  EXPECT_EQ(value, EngineIntegrityValue(L"KESTRO Antivirus", L"4.2", L"1 May 2013", L"http://www.kestro-antivirus.example/"));
  EXPECT_NE(value, EngineIntegrityValue(L"KESTRO Antivirus", L"4.3", L"1 May 2013", L"http://www.kestro-antivirus.example/"));
}

}  // namespace
}  // namespace kestro::app
