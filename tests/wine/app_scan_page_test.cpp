// The scan page and the quarantine panel in-process under Wine: real windows,
// a real scan of a generated tree, the system's registry; message boxes, the
// folder dialog, the shell's "open" and the shutdown are recorded instead.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/scan_page/scan_page.hpp"
#include "app/scan_page/win32/page_factory.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::app::scan_page {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::string_view kTestFile =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

struct Shown {
  std::wstring caption, text;
  UINT icon;
};

class RecordingDialogs final : public PageDialogs {
 public:
  void Message(HWND, const std::wstring& caption, const std::wstring& text, UINT icon) override {
    shown.push_back({caption, text, icon});
    if (onMessage) onMessage();
  }
  bool AskYesNo(HWND, const std::wstring& caption, const std::wstring& text, UINT icon) override {
    asked.push_back({caption, text, icon});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<std::wstring> ChooseFolder(HWND, const std::wstring& title) override {
    asked.push_back({L"", title, 0});
    return folder;
  }
  void Open(HWND, const std::wstring& file, const std::wstring& parameters) override {
    opened.emplace_back(file, parameters);
  }
  std::vector<Shown> shown, asked;
  std::deque<bool> answers;
  std::optional<std::wstring> folder;
  std::vector<std::pair<std::wstring, std::wstring>> opened;
  std::function<void()> onMessage;
};

struct CountingPower final : PowerControl {
  int shutdowns = 0;
  void ShutDown() override { ++shutdowns; }
};

std::optional<DWORD> ReadMarker(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\KESTRO", name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::wstring Text(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

// The host: a top-level window standing in for the main window; it records the
// page's notices.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &HostWindow::Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestroScanPageTestHost";
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClassExW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 640,
                           nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~HostWindow() { DestroyWindow(hwnd); }
  HWND hwnd = nullptr;
  std::vector<std::pair<WPARAM, std::wstring>> notices;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT notify = RegisterWindowMessageW(kScanPageNotifyName);
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == notify) {
      std::wstring text;
      if (wParam == static_cast<WPARAM>(ScanPageNotice::StatusLine)) {
        text = reinterpret_cast<const StatusLineNotice*>(lParam)->text;
      }
      self->notices.emplace_back(wParam, text);
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    Pump();
  }
  return true;
}

class ScanPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }

  ScanPageTest() {
    fs::create_directories(dir_ / "program");
    fs::create_directories(dir_ / "tree");
    ctx_.ProgramTitle = L"KESTRO Antivirus";
    ctx_.EngineVersion = L"4.2";
    ctx_.ProgramFolder = dir_ / "program";
    ctx_.QuarantineFolder = dir_ / "[ KESTRO ]";
    ctx_.ExtractFolder = dir_ / "extract";
    ctx_.MainWindow = host_.hwnd;
    ctx_.ScanLog.emplace(ctx_.ProgramFolder, log::LogIdentity{"KESTRO Antivirus", "4.2"});
    ctx_.ScanLog->StartLog();
    ctx_.OptionStates[static_cast<std::size_t>(Option::Sound)] = true;
    ctx_.OptionStates[static_cast<std::size_t>(Option::Archive)] = true;
    page_ = CreateScanPageWith(host_.hwnd, ctx_, {&dialogs_, &power_});
    ctx_.ScanPage = page_;
    MoveWindow(page_, 0, 0, 880, 600, TRUE);
    // The host stays hidden: without a window manager, Wine waits for a shown
    // top-level window to be unmapped when it is destroyed.
    ShowWindow(page_, SW_SHOW);
    Pump();
  }
  ~ScanPageTest() override {
    DestroyWindow(page_);
    Pump();
  }

  // `detected` test files and `clean` harmless programs spread over folders; the
  // walk meets the detections first.
  void MakeTree(int detected, int clean = 0) {
    for (int i = 0; i < detected; ++i) {
      const fs::path folder = dir_ / "tree" / ("a" + std::to_string(i % 3));
      fs::create_directories(folder);
      test::WriteFile(folder / ("t" + std::to_string(i) + ".com"), kTestFile);
    }
    for (int i = 0; i < clean; ++i) {
      const fs::path folder = dir_ / "tree" / ("z" + std::to_string(i % 7));
      fs::create_directories(folder);
      test::WriteFile(folder / ("c" + std::to_string(i) + ".exe"), std::string(256, 'c'));
    }
  }

  HWND Control(int id) const { return GetDlgItem(page_, id); }
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  std::wstring TreeTarget() const { return (dir_ / "tree").wstring() + L"\\"; }

  void ScanFromBox(const std::wstring& target) {
    SetWindowTextW(Control(kTargetBox), target.c_str());
    Click(kScanNow);
  }
  bool WaitForMessage(std::size_t count = 1) {
    return PumpUntil([&] { return dialogs_.shown.size() >= count; });
  }
  bool WaitForIdle() {
    return PumpUntil([&] { return !ScanIsRunning(page_) && IsWindowEnabled(Control(kScanNow)); });
  }

  int RowCount() const { return static_cast<int>(SendMessageW(Control(kDetectionList), LVM_GETITEMCOUNT, 0, 0)); }
  std::wstring Cell(int row, int column) const {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(Control(kDetectionList), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  int IconNumber(int row) const {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageW(Control(kDetectionList), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage + 1;
  }
  void SelectRow(int row, bool alsoFocus = true) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | (alsoFocus ? LVIS_FOCUSED : 0u);
    item.state = item.stateMask;
    SendMessageW(Control(kDetectionList), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  bool IsRowSelected(int row) const {
    return (SendMessageW(Control(kDetectionList), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
  }
  void Menu(int id) { SendMessageW(page_, WM_COMMAND, static_cast<WPARAM>(id), 0); }

  test::TempDir dir_;
  HostWindow host_;
  AppContext ctx_;
  RecordingDialogs dialogs_;
  CountingPower power_;
  HWND page_ = nullptr;
};

TEST_F(ScanPageTest, AScanFillsTheListLabelsLogAndMarkersAndEndsIdle) {
  MakeTree(3, 5);
  ScanFromBox(TreeTarget());
  EXPECT_FALSE(IsWindowEnabled(Control(kScanNow)));
  EXPECT_FALSE(IsWindowEnabled(Control(kLog)));
  EXPECT_TRUE(IsWindowEnabled(Control(kStop)));
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForIdle());

  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, L"Scanning completed !");
  EXPECT_EQ(dialogs_.shown[0].caption, L"KESTRO Antivirus");
  EXPECT_EQ(dialogs_.shown[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(ReadMarker(L"VirusDetected"), 2u);
  EXPECT_FALSE(ReadMarker(L"MulaiScan"));

  ASSERT_EQ(RowCount(), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, 0), L"EICAR-AV-TEST");
    EXPECT_NE(Cell(row, 1).find((dir_ / "tree").wstring()), std::wstring::npos) << Cell(row, 1);
    EXPECT_FALSE(Cell(row, 2).empty());
    EXPECT_EQ(Cell(row, 3), L"Unknown");
    EXPECT_EQ(IconNumber(row), 2);
  }
  EXPECT_EQ(Text(Control(kDetectedValue)), L"3");
  EXPECT_EQ(Text(Control(kFilesValue)), L"8");
  EXPECT_EQ(Text(Control(kAmountValue)), L"8");
  EXPECT_EQ(Text(Control(kArchiveValue)), L"-");
  EXPECT_EQ(Text(Control(kStatusLine)), L"STATUS : [ Waiting For Instructions ]");
  EXPECT_EQ(SendMessageW(Control(kProgress), PBM_GETPOS, 0, 0), 0);
  EXPECT_TRUE(IsWindowEnabled(Control(kScanNow)));
  EXPECT_TRUE(IsWindowEnabled(Control(kTargetBox)));
  EXPECT_TRUE(IsWindowEnabled(Control(kLog)));
  EXPECT_FALSE(IsWindowEnabled(Control(kStop)));
  EXPECT_FALSE(IsWindowEnabled(Control(kPause)));
  EXPECT_FALSE(IsWindowEnabled(Control(kShutdownBox)));

  const std::string log = ReadText(ctx_.ScanLog->LogFile());
  EXPECT_NE(log.find("Scanning in    :  " + (dir_ / "tree").string() + "\\\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("EICAR-AV-TEST" + std::string(12, ' ')), std::string::npos) << log;

  // The main window heard about the run and its status line.
  bool sawRunning = false, sawCompleted = false;
  for (const auto& [notice, text] : host_.notices) {
    if (notice == static_cast<WPARAM>(ScanPageNotice::ScanRunning)) sawRunning = true;
    if (text == L"STATUS : [ Scanning completed ! ]") sawCompleted = true;
  }
  EXPECT_TRUE(sawRunning);
  EXPECT_TRUE(sawCompleted);

  Click(kLog);
  ASSERT_EQ(dialogs_.opened.size(), 1u);
  EXPECT_EQ(dialogs_.opened[0].first, L"notepad");
  EXPECT_EQ(dialogs_.opened[0].second, L"\"" + ctx_.ScanLog->LogFile().wstring() + L"\"");
}

TEST_F(ScanPageTest, TheFinishIconAndMarkerFollowTheCount) {
  struct Case {
    int detections;
    UINT icon;
    DWORD marker;
  };
  int made = 0;
  for (const Case& c : {Case{0, MB_ICONINFORMATION, 1}, Case{5, MB_ICONEXCLAMATION, 2}, Case{6, MB_ICONERROR, 3}}) {
    for (; made < c.detections; ++made) test::WriteFile(dir_ / "tree" / ("t" + std::to_string(made) + ".com"), kTestFile);
    dialogs_.shown.clear();
    ScanFromBox(TreeTarget());
    ASSERT_TRUE(WaitForMessage());
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(dialogs_.shown[0].icon, c.icon) << c.detections;
    EXPECT_EQ(ReadMarker(L"VirusDetected"), c.marker) << c.detections;
    EXPECT_EQ(RowCount(), c.detections) << "a new run empties the list first";
  }
}

TEST_F(ScanPageTest, TargetsThatAreNotDriveFoldersAreRefused) {
  for (const wchar_t* target : {L"C:", L"My Computer", L"\\\\server\\share", L""}) {
    dialogs_.shown.clear();
    ScanFromBox(target);
    Pump();
    ASSERT_EQ(dialogs_.shown.size(), 1u) << target;
    EXPECT_EQ(dialogs_.shown[0].text, L"Path not found !");
    EXPECT_EQ(dialogs_.shown[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_FALSE(ScanIsRunning(page_));
  }
}

TEST_F(ScanPageTest, StopMidScanKeepsTheRowsSoFarAndAbortsWhilePausedToo) {
  MakeTree(60, 1500);
  ScanFromBox(TreeTarget());
  ASSERT_TRUE(PumpUntil([&] { return RowCount() > 0; }));
  Click(kPause);
  ASSERT_TRUE(ScanIsRunning(page_)) << "the tree was scanned before the test could pause it";
  EXPECT_EQ(Text(Control(kPause)), L"&Resume");
  ASSERT_TRUE(PumpUntil([&] { return Text(Control(kStatusLine)) == L"STATUS : [ Scanning paused ]"; }));
  const std::wstring held = Text(Control(kFilesValue));
  PumpUntil([] { return false; }, 300ms);
  EXPECT_EQ(Text(Control(kFilesValue)), held) << "the walk holds while paused";
  Click(kStop);
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(dialogs_.shown[0].text, L"Scanning aborted !");
  EXPECT_GT(RowCount(), 0);
  EXPECT_LT(std::stoi(Text(Control(kFilesValue))), 1560);
  EXPECT_EQ(Text(Control(kDetectedValue)), std::to_wstring(RowCount()));
  EXPECT_EQ(Text(Control(kPause)), L"&Pause");
}

TEST_F(ScanPageTest, TheShutdownBoxTickedDuringTheScanShutsDownInsteadOfTheMessage) {
  MakeTree(1, 200);
  ScanFromBox(TreeTarget());
  ASSERT_TRUE(IsWindowEnabled(Control(kShutdownBox)));
  Click(kShutdownBox);
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(power_.shutdowns, 1);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(ScanPageTest, CleanQuarantineSelectionAndExploreFromTheMenu) {
  MakeTree(4);
  ScanFromBox(TreeTarget());
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(RowCount(), 4);
  std::vector<fs::path> files;
  for (int row = 0; row < 4; ++row) files.emplace_back(Cell(row, 1));

  // Clean acts on the current row only when it is selected.
  SelectRow(0);
  Menu(kMenuUnselect);
  Menu(kMenuClean);
  EXPECT_TRUE(fs::exists(files[0]));
  SelectRow(0);
  Menu(kMenuClean);
  EXPECT_FALSE(fs::exists(files[0]));
  EXPECT_EQ(IconNumber(0), 1);
  EXPECT_FALSE(IsRowSelected(0));
  EXPECT_EQ(Text(Control(kStatusLine)), L"STATUS : Object Cleaned.");

  // Select All, then Clean: only the current row goes.
  SelectRow(1);
  Menu(kMenuSelectAll);
  for (int row = 0; row < 4; ++row) EXPECT_TRUE(IsRowSelected(row));
  Menu(kMenuClean);
  EXPECT_FALSE(fs::exists(files[1]));
  EXPECT_TRUE(fs::exists(files[2]));
  EXPECT_TRUE(fs::exists(files[3]));

  // Quarantine: the container holds the file, the row shows icon 3.
  SelectRow(2);
  Menu(kMenuQuarantine);
  EXPECT_FALSE(fs::exists(files[2]));
  EXPECT_EQ(IconNumber(2), 3);
  EXPECT_EQ(Text(Control(kStatusLine)), L"STATUS : Object Quarantined.");
  EXPECT_TRUE(fs::exists(ctx_.QuarantineFolder / (files[2].filename().wstring() + L".vir")));

  SelectRow(3);
  Menu(kMenuExplore);
  ASSERT_EQ(dialogs_.opened.size(), 1u);
  EXPECT_EQ(dialogs_.opened[0].first, L"explorer.exe");
  EXPECT_EQ(dialogs_.opened[0].second, L"/select,\"" + files[3].wstring() + L"\"");

  const std::string log = ReadText(ctx_.ScanLog->LogFile());
  EXPECT_NE(log.find("* Cure" + std::string(19, ' ') + files[0].string()), std::string::npos);
  EXPECT_NE(log.find("* Quarantine" + std::string(13, ' ') + files[2].string()), std::string::npos);
}

TEST_F(ScanPageTest, AFolderFromTheShellScansWhenIdleAndOnlyShowsTheReportWhenBusy) {
  MakeTree(2, 200);
  const std::wstring target = (dir_ / "tree").wstring();

  // Idle: the folder is scanned; the target gets its trailing backslash.
  ScanContextMenu(page_, target);
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(Text(Control(kTargetBox)), target + L"\\");
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(SendMessageW(Control(kTabs), TCM_GETCURSEL, 0, 0), 1) << "the report tab is shown";

  // Busy (held by Pause): a second folder starts nothing.
  dialogs_.shown.clear();
  ScanFromBox(TreeTarget());
  Click(kPause);
  SendMessageW(Control(kTabs), TCM_SETCURSEL, 0, 0);
  ScanContextMenu(page_, L"C:\\windows");
  EXPECT_EQ(SendMessageW(Control(kTabs), TCM_GETCURSEL, 0, 0), 1);
  EXPECT_NE(GetWindowLongW(Control(kDetectionList), GWL_STYLE) & WS_VISIBLE, 0) << "the report tab's list is shown";
  Click(kPause);
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForIdle());
  Pump();
  EXPECT_EQ(dialogs_.shown.size(), 1u) << "the busy hand-over started no second run";
  EXPECT_EQ(Text(Control(kTargetBox)), TreeTarget());
}

TEST_F(ScanPageTest, SelectingATreeNodeWritesItsFolderAndTheRootWritesMyComputer) {
  HWND tree = Control(kFolderTree);
  const HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  ASSERT_NE(root, nullptr);
  const HTREEITEM drive = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
  ASSERT_NE(drive, nullptr);
  wchar_t caption[128] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = drive;
  item.pszText = caption;
  item.cchTextMax = 128;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::wstring(caption), L"Local Disk (C:)");
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(drive));
  EXPECT_EQ(Text(Control(kTargetBox)), L"C:\\");
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(drive));
  const HTREEITEM folder = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(drive)));
  ASSERT_NE(folder, nullptr) << "the drive's folders are read when it is expanded";
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(folder));
  const std::wstring folderTarget = Text(Control(kTargetBox));
  EXPECT_EQ(folderTarget.substr(0, 3), L"C:\\");
  EXPECT_EQ(folderTarget.back(), L'\\');
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
  EXPECT_EQ(Text(Control(kTargetBox)), L"My Computer");
  Click(kScanNow);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, L"Path not found !");
}

class QuarantinePanelTest : public ScanPageTest {
 protected:
  QuarantinePanelTest() {
    panel_ = CreateQuarantinePanelWith(host_.hwnd, ctx_, {&dialogs_, &power_});
    MoveWindow(panel_, 0, 0, 700, 400, TRUE);
  }
  ~QuarantinePanelTest() override { DestroyWindow(panel_); }

  int Items() const { return static_cast<int>(SendMessageW(GetDlgItem(panel_, kQuarantineList), LVM_GETITEMCOUNT, 0, 0)); }
  void SelectItem(int index) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = item.stateMask;
    SendMessageW(GetDlgItem(panel_, kQuarantineList), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  }

  HWND panel_ = nullptr;
};

TEST_F(QuarantinePanelTest, QuarantinedFromTheListThenRestoredAfterAskingBeforeReplacing) {
  MakeTree(1);
  ScanFromBox(TreeTarget());
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForIdle());
  const fs::path file = Cell(0, 1);
  const std::string bytes = ReadText(file);
  SelectRow(0);
  ctx_.QuarantinePanel = panel_;
  Menu(kMenuQuarantine);
  ASSERT_FALSE(fs::exists(file));
  ASSERT_EQ(Items(), 1) << "the panel was refreshed after the quarantine";
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel_, kRestore)));

  // A file of that name is already where the user restores to: asked, No keeps it.
  fs::create_directories(dir_ / "restore");
  test::WriteFile(dir_ / "restore" / file.filename(), "mine");
  dialogs_.folder = (dir_ / "restore").wstring();
  dialogs_.answers = {true, false};
  SelectItem(0);
  SendMessageW(GetDlgItem(panel_, kRestore), BM_CLICK, 0, 0);
  EXPECT_EQ(ReadText(dir_ / "restore" / file.filename()), "mine");
  EXPECT_EQ(Items(), 1);
  ASSERT_GE(dialogs_.asked.size(), 3u);
  EXPECT_EQ(dialogs_.asked[0].text, L"Select location to restore the file ..");
  EXPECT_EQ(dialogs_.asked[1].text, L"Are you sure restore this file ?");

  dialogs_.answers = {true, true};
  SendMessageW(GetDlgItem(panel_, kRestore), BM_CLICK, 0, 0);
  EXPECT_EQ(ReadText(dir_ / "restore" / file.filename()), bytes);
  EXPECT_EQ(Items(), 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel_, kRestore)));
}

TEST_F(QuarantinePanelTest, CleanSelectedAndAllSelected) {
  MakeTree(3);
  ScanFromBox(TreeTarget());
  ASSERT_TRUE(WaitForMessage());
  ASSERT_TRUE(WaitForIdle());
  for (int row = 0; row < 3; ++row) {
    SelectRow(row);
    Menu(kMenuQuarantine);
  }
  RefreshQuarantineList(panel_);
  ASSERT_EQ(Items(), 3);
  SelectItem(0);
  SendMessageW(panel_, WM_COMMAND, 1211, 0);  // "Selected"
  EXPECT_EQ(Items(), 2);
  dialogs_.answers = {true};
  SelectItem(0);
  SendMessageW(panel_, WM_COMMAND, 1212, 0);  // "All Selected"
  EXPECT_EQ(Items(), 0);
  EXPECT_EQ(dialogs_.shown.back().text, L"All object has been cleaned.");
}

}  // namespace
}  // namespace kestro::app::scan_page
