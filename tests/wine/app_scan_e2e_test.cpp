// The real "KESTRO Antivirus.exe" under Wine, driven from this process as a user
// would: a folder on its command line, the rows of its detection list, its log,
// its registry markers, its message boxes with their icons, Stop, the hand-over
// from a second start, Clean and Quarantine from the list's menu, Restore from
// the quarantine page, and a refused target.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "app/scan_page/win32/page_factory.hpp"
#include "remedy/huffman_codec.hpp"
#include "tests/support/demo_tree.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/wine/app_scan_driver.hpp"

namespace kestro::test::app_scan {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using app::scan_page::kDetectionList;

constexpr auto kStartLimit = 90s;
constexpr auto kScanLimit = 120s;
constexpr wchar_t kTitle[] = L"KESTRO Antivirus";
constexpr std::string_view kTestFile =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

fs::path QuarantineFolder() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return fs::path(std::wstring(windows).substr(0, 3) + L"[ KESTRO ]");
}

// Right-clicks a row and chooses the menu item `downs` steps from the top.
void ChooseFromMenu(HWND list, int row, int downs) {
  SelectRow(list, row);
  const RECT rect = RowRect(list, row);
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
  PostMessageW(list, WM_RBUTTONUP, 0, at);
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (menu = FindTopLevel(processId, L"#32768")) != nullptr; }, 10s))
      << "the detection list's menu did not open";
  for (int i = 0; i < downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 10s));
}

// The text of the folder dialog's selected tree node.
std::wstring SelectedNodeText(HWND tree) {
  const auto item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  if (item == 0) return {};
  constexpr std::size_t kTextOffset = 128;
  RemoteBuffer remote(tree, kTextOffset + 260 * sizeof(wchar_t));
  TVITEMW node{};
  node.mask = TVIF_TEXT;
  node.hItem = reinterpret_cast<HTREEITEM>(item);
  node.pszText = static_cast<wchar_t*>(remote.At(kTextOffset));
  node.cchTextMax = 260;
  remote.Write(0, &node, sizeof node);
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()));
  wchar_t text[260] = {};
  remote.Read(kTextOffset, text, sizeof text);
  return text;
}

// Chooses `folder` in the program's folder dialog and presses OK; presses
// Cancel (and answers false) when the dialog did not select it, so that nothing
// is ever restored elsewhere.
bool ChooseFolder(HWND browse, const fs::path& folder) {
  HWND tree = FindDescendant(browse, WC_TREEVIEWW);
  const std::wstring text = folder.wstring();
  RemoteBuffer remotePath(browse, (text.size() + 1) * sizeof(wchar_t));
  remotePath.Write(0, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  SendMessageW(browse, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remotePath.Address()));
  if (SelectedNodeText(tree) != folder.filename().wstring()) {
    // The same selection as an item list, which the dialog takes without parsing a path.
    PIDLIST_ABSOLUTE list = ILCreateFromPathW(text.c_str());
    if (list != nullptr) {
      const UINT size = ILGetSize(list);
      RemoteBuffer remoteList(browse, size);
      remoteList.Write(0, list, size);
      SendMessageW(browse, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(remoteList.Address()));
      ILFree(list);
    }
  }
  const std::wstring selected = SelectedNodeText(tree);
  if (selected != folder.filename().wstring()) {
    std::fprintf(stderr, "folder dialog selected \"%ls\"\n", selected.c_str());
    Press(browse, IDCANCEL);
    return false;
  }
  Press(browse, IDOK);
  return true;
}

int RowOf(const std::vector<ListRow>& rows, const fs::path& file) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].cells[1] == file.wstring()) return static_cast<int>(i);
  }
  return -1;
}

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() : out_(OutputDir()) {
    DeleteMarker(L"VirusDetected");
    DeleteMarker(L"MulaiScan");
    // The options these scans rely on: archives looked into, nothing deleted at once.
    for (const auto& [name, value] : {std::pair{L"Archive", 1}, std::pair{L"CleanAll", 0}}) {
      const DWORD number = static_cast<DWORD>(value);
      RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\KESTRO", name, REG_DWORD, &number, sizeof number);
    }
  }

  // Waits for the finish message and answers it.
  MessageBoxSeen Finish(const RunningProgram& program) {
    const auto seen = WaitForMessageBox(program.Id(), kScanLimit);
    EXPECT_TRUE(seen.has_value()) << "no finish message";
    if (!seen) return {};
    Press(seen->dialog, IDOK);
    return *seen;
  }

  fs::path out_;
  TempDir dir_;
};

TEST_F(ProgramTest, ScansTheFolderOfItsCommandLineAndActsOnTheRows) {
  const fs::path tree = dir_ / "demo";
  const auto expected = BuildDemoTree(tree);
  const std::string bat = ReadText(tree / "tools" / "cleanup.bat");

  RunningProgram program(out_, tree.wstring());
  ASSERT_TRUE(program.Started());
  const auto windows = WaitForProgramWindows(program.Id(), kStartLimit);
  ASSERT_TRUE(windows);

  const MessageBoxSeen finish = Finish(program);
  EXPECT_EQ(finish.caption, kTitle);
  EXPECT_EQ(finish.text, L"Scanning completed !");
  EXPECT_EQ(finish.icon, MessageBoxSeen::Icon::Exclamation) << "four detections";
  EXPECT_EQ(ReadMarker(L"VirusDetected"), 2u);
  EXPECT_FALSE(ReadMarker(L"MulaiScan"));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(windows->Control(app::scan_page::kScanNow)); }, 10s));

  // The rows, as the list shows them.
  HWND list = windows->Control(kDetectionList);
  const auto rows = ReadRows(list, 4);
  ASSERT_EQ(rows.size(), expected.size());
  std::map<std::wstring, std::wstring> byLocation;
  for (const auto& row : rows) {
    byLocation[row.cells[1]] = row.cells[0];
    EXPECT_EQ(row.iconNumber, 2);
    EXPECT_FALSE(row.cells[2].empty());
    EXPECT_FALSE(row.cells[3].empty());
  }
  const std::string log = ReadText(out_ / "Log" / "kestro.log");
  EXPECT_NE(log.find("Scanning in    :  " + tree.string() + "\\\r\n"), std::string::npos);
  // The splash's process scan logged the running programs, this one among them.
  const auto programLine = log.find("\\KESTRO Antivirus.exe\r\n");
  ASSERT_NE(programLine, std::string::npos) << log;
  EXPECT_EQ(log.compare(log.rfind('\n', programLine) + 1, 3, "-> "), 0) << log;
  for (const auto& detection : expected) {
    const std::wstring location =
        detection.member.empty() ? detection.file.wstring() : detection.file.wstring() + L":\\" + Wide(detection.member);
    EXPECT_EQ(byLocation[location], Wide(detection.name)) << location;
    EXPECT_NE(log.find(detection.name), std::string::npos) << detection.name;
  }
  EXPECT_EQ(TextOf(windows->Control(app::scan_page::kDetectedValue)), L"4");

  // "C:" is refused.
  SendMessageW(windows->Control(app::scan_page::kTargetBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:"));
  PostMessageW(windows->Control(app::scan_page::kScanNow), BM_CLICK, 0, 0);
  const auto refused = WaitForMessageBox(program.Id(), 10s);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, L"Path not found !");
  EXPECT_EQ(refused->icon, MessageBoxSeen::Icon::Exclamation);
  Press(refused->dialog, IDOK);

  // Clean from the menu deletes the file; the row shows icon 1.
  const int eicar = RowOf(rows, tree / "eicar.com");
  ASSERT_GE(eicar, 0);
  ChooseFromMenu(list, eicar, 1);
  ASSERT_TRUE(WaitUntil([&] { return !fs::exists(tree / "eicar.com"); }, 10s));
  EXPECT_EQ(ReadRows(list, 4)[static_cast<std::size_t>(eicar)].iconNumber, 1);
  EXPECT_EQ(TextOf(windows->Control(app::scan_page::kStatusLine)), L"STATUS : Object Cleaned.");

  // Quarantine from the menu: the container decodes to the file's bytes.
  const fs::path container = QuarantineFolder() / "cleanup.bat.vir";
  fs::remove(container);
  const int script = RowOf(rows, tree / "tools" / "cleanup.bat");
  ASSERT_GE(script, 0);
  ChooseFromMenu(list, script, 2);
  ASSERT_TRUE(WaitUntil([&] { return !fs::exists(tree / "tools" / "cleanup.bat"); }, 10s));
  EXPECT_EQ(ReadRows(list, 4)[static_cast<std::size_t>(script)].iconNumber, 3);
  ASSERT_TRUE(fs::exists(container));
  const auto stored = ReadFile(container);
  const auto decoded = remedy::DecodeContainer(stored);
  EXPECT_EQ(std::string(decoded.begin(), decoded.end()), bat);
  EXPECT_NE(ReadText(out_ / "Log" / "kestro.log").find("* Quarantine"), std::string::npos);

  // Restore from the quarantine page into a folder chosen in the folder dialog.
  ASSERT_NE(windows->quarantinePanel, nullptr);
  HWND containers = GetDlgItem(windows->quarantinePanel, app::scan_page::kQuarantineList);
  int index = -1;
  const auto names = ReadRows(containers, 1);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].cells[0] == L"cleanup.bat.vir") index = static_cast<int>(i);
  }
  ASSERT_GE(index, 0) << "the quarantine page lists the new container";
  SelectRow(containers, index);
  const fs::path restoreTo = dir_ / "restored";
  fs::create_directories(restoreTo);
  PostMessageW(GetDlgItem(windows->quarantinePanel, app::scan_page::kRestore), BM_CLICK, 0, 0);
  HWND browse = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    browse = FindTopLevel(program.Id(), L"#32770");
    return browse != nullptr && FindDescendant(browse, WC_TREEVIEWW) != nullptr;
  }, 20s)) << "no folder dialog";
  ASSERT_TRUE(ChooseFolder(browse, restoreTo)) << "the folder dialog did not take the folder";
  const auto confirm = WaitForMessageBox(program.Id(), 10s);
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->text, L"Are you sure restore this file ?");
  Press(confirm->dialog, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(restoreTo / "cleanup.bat"); }, 10s));
  EXPECT_EQ(ReadText(restoreTo / "cleanup.bat"), bat);
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(container); }, 10s));
}

TEST_F(ProgramTest, StopMidScanThenASecondStartHandsItsFolderOver) {
  const fs::path big = dir_ / "big";
  fs::create_directories(big / "a");
  for (int i = 0; i < 40; ++i) WriteFile(big / "a" / ("t" + std::to_string(i) + ".com"), kTestFile);
  fs::create_directories(big / "z");
  for (int i = 0; i < 4000; ++i) WriteFile(big / "z" / ("c" + std::to_string(i) + ".exe"), std::string(512, 'c'));
  const fs::path second = dir_ / "second";
  fs::create_directories(second / "sub");
  WriteFile(second / "one.com", kTestFile);
  WriteFile(second / "sub" / "two.com", kTestFile);

  RunningProgram program(out_, big.wstring());
  const auto windows = WaitForProgramWindows(program.Id(), kStartLimit);
  ASSERT_TRUE(windows);
  HWND list = windows->Control(kDetectionList);
  ASSERT_TRUE(WaitUntil([&] { return RowCount(list) > 0; }, kScanLimit));
  PostMessageW(windows->Control(app::scan_page::kStop), BM_CLICK, 0, 0);
  const MessageBoxSeen stopped = Finish(program);
  EXPECT_EQ(stopped.text, L"Scanning aborted !");
  const int rowsSoFar = RowCount(list);
  EXPECT_GT(rowsSoFar, 0);
  // "VirusDetected" and the icon by the count of the rows found.
  EXPECT_EQ(ReadMarker(L"VirusDetected"), rowsSoFar <= 5 ? 2u : 3u) << rowsSoFar << " rows";
  EXPECT_EQ(stopped.icon, rowsSoFar <= 5 ? MessageBoxSeen::Icon::Exclamation : MessageBoxSeen::Icon::Error);
  EXPECT_LE(rowsSoFar, 40);
  EXPECT_LT(std::stoi(TextOf(windows->Control(app::scan_page::kFilesValue))), 4040) << "the walk ended early";
  EXPECT_EQ(TextOf(windows->Control(app::scan_page::kDetectedValue)), std::to_wstring(rowsSoFar));

  // Explorer's menu while the program is open: the second copy hands its folder
  // over and ends without a message; the running copy scans that folder.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(windows->Control(app::scan_page::kScanNow)); }, 10s));
  RunningProgram secondStart(out_, second.wstring());
  ASSERT_TRUE(secondStart.Started());
  const auto exitCode = secondStart.WaitForExit(60s);
  ASSERT_TRUE(exitCode);
  EXPECT_EQ(*exitCode, 0u);
  const MessageBoxSeen handedOver = Finish(program);
  EXPECT_EQ(handedOver.text, L"Scanning completed !");
  EXPECT_EQ(handedOver.icon, MessageBoxSeen::Icon::Exclamation);
  const auto rows = ReadRows(list, 4);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].cells[1].substr(0, second.wstring().size()), second.wstring());
  EXPECT_EQ(TextOf(windows->Control(app::scan_page::kTargetBox)), second.wstring() + L"\\");
}

}  // namespace
}  // namespace kestro::test::app_scan
