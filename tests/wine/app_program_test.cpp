// The desktop program end to end under Wine: started from a copy of the output
// folder, driven like a user would (close requests, message-box answers) and
// judged by what it leaves: the registry, the files, its process.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kKeyPath = L"Software\\KESTRO";
constexpr const wchar_t* kMainClass = L"KestroMainWindow";
constexpr DWORD kStartSeconds = 90;

const wchar_t* const kProgramFiles[] = {L"KESTRO Antivirus.exe", L"KESTROEngine.dll", L"KESTROGui.dll",
                                        L"KESTROInet.dll",       L"KESTROKeyboard.dll", L"KESTROExtc.dll",
                                        L"RARExtract.dll",       L"DB_0x.avn",        L"DB_1x.avn",
                                        L"DB_2x.avn"};
const wchar_t* const kOptionNames[] = {L"Process", L"FixReg", L"CleanAll", L"Sound",  L"Archive",
                                       L"On Top",  L"Unclose", L"Hide App", L"Shell", L"Auto"};

std::optional<DWORD> ReadNumber(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

void WriteNumber(const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, name, REG_DWORD, &value, sizeof(value));
}

// A running copy of the program.
class Program {
 public:
  Program(const fs::path& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              exe.parent_path().c_str(), &startup, &info_) != FALSE;
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 10000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  // The exit code once the process has ended within `seconds`; nothing otherwise.
  std::optional<DWORD> WaitExit(DWORD seconds) const {
    if (WaitForSingleObject(info_.hProcess, seconds * 1000) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

  // A visible top-level window of this process with that class (and title).
  HWND WaitWindow(const wchar_t* className, const wchar_t* title, DWORD seconds) const {
    const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    for (;;) {
      Search search{Id(), className, title, nullptr};
      EnumWindows(Find, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) return search.found;
      if (GetTickCount64() >= end || !Running()) return nullptr;
      Sleep(50);
    }
  }

 private:
  struct Search {
    DWORD process;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
  };
  static BOOL CALLBACK Find(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    wchar_t title[256] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 256);
    if (process == search->process && IsWindowVisible(window) && wcscmp(className, search->className) == 0 &&
        (search->title == nullptr || wcscmp(title, search->title) == 0)) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }

  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

std::wstring MessageText(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  return text;
}

void Answer(HWND box, int button) { SendMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0); }

// A button with this caption that the user can see (its page is the one shown).
bool VisibleButton(HWND main, const wchar_t* caption) {
  struct Search {
    const wchar_t* caption;
    bool found;
  } search{caption, false};
  EnumChildWindows(
      main,
      [](HWND child, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        wchar_t text[128] = {};
        GetWindowTextW(child, text, 128);
        if (wcscmp(text, s->caption) == 0 && IsWindowVisible(child)) s->found = true;
        return !s->found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : kProgramFiles) {
      std::error_code error;
      fs::copy_file(test::OutputDir() / name, folder_.path() / name, error);
      ASSERT_FALSE(error) << fs::path(name).string() << ": " << error.message();
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath);  // a first start: no settings yet
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath); }

  fs::path Exe() const { return folder_.path() / L"KESTRO Antivirus.exe"; }

  test::TempDir folder_;
};

TEST_F(ProgramTest, FirstStartWritesTheDefaultsAndTheCloseFlowEndsOnlyOnYes) {
  // A companion library without a registration entry point is loaded, found
  // lacking and skipped: the start goes on.
  std::error_code error;
  fs::copy_file(folder_.path() / L"KESTROGui.dll", folder_.path() / L"COMCTL32.OCX", error);
  ASSERT_FALSE(error);

  Program program(Exe(), L"");
  ASSERT_TRUE(program.Started());
  HWND main = program.WaitWindow(kMainClass, nullptr, kStartSeconds);
  ASSERT_NE(main, nullptr) << "the main window did not appear";
  wchar_t caption[128] = {};
  GetWindowTextW(main, caption, 128);
  EXPECT_STREQ(caption, L"KESTRO Antivirus 2013");

  const DWORD defaults[] = {1, 1, 0, 1, 1, 0, 0, 0, 1, 1};
  for (std::size_t i = 0; i < std::size(kOptionNames); ++i) {
    EXPECT_EQ(ReadNumber(kOptionNames[i]), std::optional<DWORD>(defaults[i])) << fs::path(kOptionNames[i]).string();
  }

  // Scan markers as a scan leaves them.
  WriteNumber(L"MulaiScan", 1);
  WriteNumber(L"VirusDetected", 1);

  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND question = program.WaitWindow(L"#32770", L"KESTRO Antivirus", 30);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(MessageText(question), L"Are you sure want to exit ?");
  Answer(question, IDNO);
  Sleep(500);
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(ReadNumber(L"MulaiScan").has_value());

  WriteNumber(L"Sound", 7);  // the close saves the shown states over it
  PostMessageW(main, WM_CLOSE, 0, 0);
  question = program.WaitWindow(L"#32770", L"KESTRO Antivirus", 30);
  ASSERT_NE(question, nullptr);
  Answer(question, IDYES);
  EXPECT_TRUE(program.WaitExit(30).has_value()) << "the program did not end";
  EXPECT_FALSE(ReadNumber(L"MulaiScan").has_value());
  EXPECT_FALSE(ReadNumber(L"VirusDetected").has_value());
  EXPECT_EQ(ReadNumber(L"Sound"), std::optional<DWORD>(1));
}

TEST_F(ProgramTest, TheUpdateSwitchBringsTheUpdatePageForward) {
  Program program(Exe(), L"/U");
  ASSERT_TRUE(program.Started());
  HWND main = program.WaitWindow(kMainClass, nullptr, kStartSeconds);
  ASSERT_NE(main, nullptr);
  const ULONGLONG end = GetTickCount64() + 10000;
  while (!VisibleButton(main, L"&Update Now") && GetTickCount64() < end) Sleep(100);
  EXPECT_TRUE(VisibleButton(main, L"&Update Now"));
}

TEST_F(ProgramTest, AMissingDatabaseEndsTheStart) {
  fs::remove(folder_.path() / L"DB_1x.avn");
  Program program(Exe(), L"");
  ASSERT_TRUE(program.Started());
  HWND box = program.WaitWindow(L"#32770", L"KESTRO Antivirus", kStartSeconds);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageText(box), L"Virus database or signature file not found !\r\nKESTRO will be terminate now ...");
  EXPECT_EQ(program.WaitWindow(kMainClass, nullptr, 0), nullptr);
  Answer(box, IDOK);
  EXPECT_EQ(program.WaitExit(30), std::optional<DWORD>(1));
  EXPECT_FALSE(ReadNumber(L"Auto").has_value());  // the main window never loaded the settings
}

TEST_F(ProgramTest, AReplacedLibraryFailsTheIntegrityCheck) {
  ASSERT_TRUE(CopyFileW((folder_.path() / L"KESTROGui.dll").c_str(), (folder_.path() / L"RARExtract.dll").c_str(), FALSE));
  Program program(Exe(), L"");
  ASSERT_TRUE(program.Started());
  HWND box = program.WaitWindow(L"#32770", L"KESTRO Antivirus", kStartSeconds);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageText(box), L"File RARExtract.dll is damaged or has been replaced !!\r\nPlease reinstall KESTRO Antivirus.");
  Answer(box, IDOK);
  EXPECT_EQ(program.WaitExit(30), std::optional<DWORD>(1));
}

TEST_F(ProgramTest, ASecondStartChangesNothingAndSaysTheProgramRuns) {
  Program first(Exe(), L"");
  ASSERT_TRUE(first.Started());
  ASSERT_NE(first.WaitWindow(kMainClass, nullptr, kStartSeconds), nullptr);

  // What a second start must leave alone: the settings and the extraction folder
  // (a scan of the first copy may be using it).
  WriteNumber(L"Process", 0);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"Auto");  // a start would write the defaults again
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const fs::path extract = fs::path(windows) / L"Temp" / L"KESTRO";
  fs::create_directories(extract);
  test::WriteFile(extract / "member.bin", "in use by a scan");

  Program second(Exe(), L"");
  ASSERT_TRUE(second.Started());
  HWND box = second.WaitWindow(L"#32770", L"KESTRO Antivirus", kStartSeconds);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageText(box), L"Already running on your system");
  Answer(box, IDOK);
  EXPECT_TRUE(second.WaitExit(30).has_value());

  // A folder path is handed over to the running copy, which scans it: no message.
  Program third(Exe(), L"C:\\windows");
  ASSERT_TRUE(third.Started());
  EXPECT_TRUE(third.WaitExit(30).has_value());
  EXPECT_EQ(third.WaitWindow(L"#32770", nullptr, 0), nullptr);

  EXPECT_TRUE(fs::exists(extract / "member.bin"));
  EXPECT_EQ(ReadNumber(L"Process"), std::optional<DWORD>(0));
  EXPECT_FALSE(ReadNumber(L"Auto").has_value());
  EXPECT_TRUE(first.Running());
  fs::remove_all(extract);
}

}  // namespace
}  // namespace kestro
