// The process manager panel and the detail window under Wine, with a started
// test program as the process to list, suspend, end and inspect.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>

#include "systools/process_model.hpp"
#include "systools/size_text.hpp"
#include "systools/win32/module_window.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/process_tools.hpp"
#include "systools/win32/tools_panels.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/wine/com_wine_support.hpp"
#include "tests/wine/systools_wine_support.hpp"

namespace kestro::systools {
namespace {

using test::CellText;
using test::FindRow;
using test::StartedProgram;

constexpr int kPidColumn = static_cast<int>(ProcessColumn::Pid);

class ProcessPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_ = CreateProcessManagerPanel(host_.window(), host_.host());
    ASSERT_NE(panel_, nullptr);
    host_.Place(panel_);
    list_ = GetDlgItem(panel_, kIdProcessList);
    ASSERT_NE(list_, nullptr);
  }

  void Refresh() { SendMessageW(panel_, WM_COMMAND, kCmdRefreshProcess, 0); }

  // Refreshes and selects the row of `pid`; its row number or -1.
  int SelectProcess(DWORD pid) {
    Refresh();
    const int row = FindRow(list_, kPidColumn, std::to_wstring(pid));
    if (row >= 0) test::Select(list_, row);
    return row;
  }

  // Suspends and resumes each thread once from here: the count a thread had.
  static std::vector<DWORD> SuspendCounts(DWORD pid) {
    std::vector<DWORD> counts;
    for (const DWORD id : test::ThreadIds(pid)) {
      HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, id);
      if (thread == nullptr) continue;
      counts.push_back(SuspendThread(thread));
      ResumeThread(thread);
      CloseHandle(thread);
    }
    return counts;
  }

  test::PanelHost host_;
  HWND panel_ = nullptr;
  HWND list_ = nullptr;
};

TEST_F(ProcessPanelTest, ListsAStartedProgramWithItsColumns) {
  StartedProgram program(L"wait 0");
  ASSERT_TRUE(program.Running());
  const int row = SelectProcess(program.pid());
  ASSERT_GE(row, 0);
  EXPECT_EQ(CellText(list_, row, 0), L"kestro_systools_sleeper.exe");
  EXPECT_EQ(_wcsicmp(CellText(list_, row, 1).c_str(), StartedProgram::Path().c_str()), 0) << CellText(list_, row, 1);
  EXPECT_EQ(CellText(list_, row, 2), L"No");
  EXPECT_EQ(CellText(list_, row, 3), FileSizeText(StartedProgram::Path()));
  const std::wstring memory = CellText(list_, row, 5);
  EXPECT_GE(memory.size(), 4u);
  EXPECT_EQ(memory.substr(memory.size() - 3), L" KB");
  // This test program's own row is there too.
  EXPECT_GE(FindRow(list_, kPidColumn, std::to_wstring(GetCurrentProcessId())), 0);
}

TEST_F(ProcessPanelTest, SuspendAndResumeActOnEachThreadOnce) {
  StartedProgram program(L"wait 3");
  ASSERT_TRUE(test::WaitFor([&] { return test::ThreadIds(program.pid()).size() >= 4; }, std::chrono::seconds(10)));
  ASSERT_GE(SelectProcess(program.pid()), 0);

  SendMessageW(panel_, WM_COMMAND, kCmdSuspendProcess, 0);
  const std::vector<DWORD> suspended = SuspendCounts(program.pid());
  ASSERT_GE(suspended.size(), 4u);
  for (const DWORD count : suspended) EXPECT_EQ(count, 1u);
  // One state for the whole list: Suspend is greyed, Resume offered.
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(panel_, kMsgPrepareMenu, 0, 0));
  EXPECT_NE(GetMenuState(menu, kCmdSuspendProcess, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_EQ(GetMenuState(menu, kCmdResumeProcess, MF_BYCOMMAND) & MF_GRAYED, 0u);

  SendMessageW(panel_, WM_COMMAND, kCmdResumeProcess, 0);
  for (const DWORD count : SuspendCounts(program.pid())) EXPECT_EQ(count, 0u);
  SendMessageW(panel_, kMsgPrepareMenu, 0, 0);
  EXPECT_EQ(GetMenuState(menu, kCmdSuspendProcess, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_NE(GetMenuState(menu, kCmdResumeProcess, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(ProcessPanelTest, EndProcessEndsTheRowsProcessOnlyAndOnlyOnYes) {
  StartedProgram first(L"wait 0");
  StartedProgram second(L"wait 0");
  ASSERT_GE(SelectProcess(first.pid()), 0);

  auto declined = test::AnswerMessageBox(test::kTestTitle, IDNO);
  SendMessageW(panel_, WM_COMMAND, kCmdEndProcess, 0);
  EXPECT_EQ(declined.get(), L"Are you sure you want to terminate process kestro_systools_sleeper.exe");
  EXPECT_TRUE(first.Running());

  auto accepted = test::AnswerMessageBox(test::kTestTitle, IDYES);
  SendMessageW(panel_, WM_COMMAND, kCmdEndProcess, 0);
  EXPECT_FALSE(accepted.get().empty());
  EXPECT_EQ(WaitForSingleObject(first.process(), 5000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(first.process(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(second.Running());
  // The list was rebuilt without it.
  EXPECT_LT(FindRow(list_, kPidColumn, std::to_wstring(first.pid())), 0);
  EXPECT_GE(FindRow(list_, kPidColumn, std::to_wstring(second.pid())), 0);
}

TEST_F(ProcessPanelTest, ProcessOperationsRefuseAnIdentifierThatNamesAnotherProcessNow) {
  StartedProgram program(L"wait 0");
  const std::uint64_t created = ProcessCreationTime(program.pid());
  ASSERT_NE(created, 0u);
  EXPECT_FALSE(TerminateProcessById(program.pid(), created + 1));
  EXPECT_FALSE(SetProcessPriority(program.pid(), created + 1, HIGH_PRIORITY_CLASS));
  EXPECT_EQ(SuspendProcessThreads(program.pid(), created + 1, false), 0);
  EXPECT_TRUE(program.Running());
  // The program's own threads are never suspended from its own list.
  EXPECT_EQ(SuspendProcessThreads(GetCurrentProcessId(), 0, false), 0);
}

TEST_F(ProcessPanelTest, SetPriorityChangesTheClassAndTheMenuChecksIt) {
  StartedProgram program(L"wait 0");
  ASSERT_GE(SelectProcess(program.pid()), 0);
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(panel_, kMsgPrepareMenu, 0, 0));
  const auto checked = [&](int item) {
    return (GetMenuState(menu, static_cast<UINT>(kCmdPriorityBase + item), MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  EXPECT_TRUE(checked(3));  // Normal

  const struct {
    int item;
    DWORD priorityClass;
  } cases[] = {{2, HIGH_PRIORITY_CLASS}, {4, IDLE_PRIORITY_CLASS}, {3, NORMAL_PRIORITY_CLASS}};
  for (const auto& c : cases) {
    SendMessageW(panel_, WM_COMMAND, static_cast<WPARAM>(kCmdPriorityBase + c.item), 0);
    EXPECT_EQ(ProcessPriorityClass(program.pid()), c.priorityClass) << c.item;
    // The rebuilt list keeps the row selected; the menu checks its class alone.
    SendMessageW(panel_, kMsgPrepareMenu, 0, 0);
    for (int item = 1; item <= 4; ++item) EXPECT_EQ(checked(item), item == c.item) << c.item << " " << item;
  }

  // A class outside the four checks nothing.
  SetPriorityClass(program.process(), BELOW_NORMAL_PRIORITY_CLASS);
  SendMessageW(panel_, kMsgPrepareMenu, 0, 0);
  for (int item = 1; item <= 4; ++item) EXPECT_FALSE(checked(item)) << item;
}

TEST_F(ProcessPanelTest, DetailWindowShowsTheParentAndThenThatItIsGone) {
  auto parent = std::make_unique<StartedProgram>(L"spawn");
  std::vector<DWORD> children;
  ASSERT_TRUE(test::WaitFor([&] { return !(children = test::ChildProcesses(parent->pid(), L"kestro_systools_sleeper.exe")).empty(); },
                            std::chrono::seconds(10)));
  const DWORD child = children.front();
  HANDLE childHandle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child);
  ASSERT_NE(childHandle, nullptr);

  ASSERT_GE(SelectProcess(child), 0);
  HWND detail = reinterpret_cast<HWND>(SendMessageW(panel_, kMsgOpenDetail, 0, 0));
  ASSERT_NE(detail, nullptr);
  const auto text = [](HWND window, int id) {
    wchar_t buffer[1024] = {};
    GetDlgItemTextW(window, id, buffer, 1024);
    return std::wstring(buffer);
  };
  wchar_t title[256] = {};
  GetWindowTextW(detail, title, 256);
  EXPECT_EQ(std::wstring(title), L"kestro_systools_sleeper:" + std::to_wstring(child) + L" properties");
  EXPECT_EQ(text(detail, kIdDetailPid), std::to_wstring(child));
  EXPECT_EQ(text(detail, kIdDetailParentPid), std::to_wstring(parent->pid()));
  EXPECT_EQ(text(detail, kIdDetailParentName), L"kestro_systools_sleeper.exe");
  EXPECT_EQ(text(detail, kIdDetailVersion), L"N/A");
  EXPECT_EQ(text(detail, kIdDetailSignature), L"( This file is not contain a valid digital signature )");
  EXPECT_NE(text(detail, kIdDetailUserName).find(L'\\'), std::wstring::npos);
  // The module page: the count label matches the list.
  const HWND modules = GetDlgItem(detail, kIdModuleList);
  const int rows = ListView_GetItemCount(modules);
  EXPECT_GT(rows, 1);
  EXPECT_EQ(text(detail, kIdModuleCount), ModuleCountText(static_cast<std::size_t>(rows)));
  EXPECT_EQ(_wcsicmp(CellText(modules, 0, 0).c_str(), L"kestro_systools_sleeper.exe"), 0);
  DestroyWindow(detail);

  parent.reset();  // ends the parent
  detail = ShowProcessDetail(host_.window(), test::kTestTitle, StartedProgram::Path(), child);
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(text(detail, kIdDetailParentName), L"<Non-existent Process>");
  DestroyWindow(detail);

  TerminateProcess(childHandle, 0);
  WaitForSingleObject(childHandle, 5000);
  CloseHandle(childHandle);
}

TEST_F(ProcessPanelTest, SelectingAProcessWhoseFileIsGoneSaysSoOnce) {
  test::TempDir dir;
  const std::filesystem::path copy = dir / "vanishing_sleeper.exe";
  ASSERT_TRUE(CopyFileW(StartedProgram::Path().c_str(), copy.c_str(), FALSE));
  std::wstring commandLine = L"\"" + copy.wstring() + L"\" wait 0";
  STARTUPINFOW startup{sizeof(startup)};
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  Sleep(300);
  Refresh();
  const int row = FindRow(list_, kPidColumn, std::to_wstring(info.dwProcessId));
  ASSERT_GE(row, 0);
  // A running program's file cannot be deleted, but it can be renamed away.
  const bool deleted = MoveFileW(copy.c_str(), (dir / "renamed.exe").c_str()) != FALSE;
  if (deleted) {
    auto first = test::AnswerDialog(test::kTestTitle, IDOK);
    test::Select(list_, row);
    test::PumpMessages(std::chrono::milliseconds(300));
    const auto text = first.get();
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(_wcsicmp(text->c_str(), (L"File " + copy.wstring() + L" not found !!").c_str()), 0) << *text;
    // The refreshed list keeps the process selected without asking again.
    auto second = test::AnswerDialog(test::kTestTitle, IDOK, std::chrono::milliseconds(1500));
    test::PumpMessages(std::chrono::milliseconds(1500));
    EXPECT_FALSE(second.get().has_value());
    EXPECT_GE(FindRow(list_, kPidColumn, std::to_wstring(info.dwProcessId)), 0);
  }
  TerminateProcess(info.hProcess, 0);
  WaitForSingleObject(info.hProcess, 5000);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  if (!deleted) GTEST_SKIP() << "the system keeps a running program's file from being renamed";
}

TEST_F(ProcessPanelTest, EmptyModuleListShowsTheEmptyState) {
  // A process identifier with no modules to walk (none is 0x7FFFFFF0).
  HWND detail = ShowProcessDetail(host_.window(), test::kTestTitle, StartedProgram::Path(), 0x7FFFFFF0);
  ASSERT_NE(detail, nullptr);
  SendMessageW(detail, kMsgShowDetailPage, 1, 0);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(detail, kIdModuleList)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(detail, kIdModuleEmpty)));
  wchar_t count[64] = {};
  GetDlgItemTextW(detail, kIdModuleCount, count, 64);
  EXPECT_STREQ(count, L"0 - Module(s)");
  wchar_t parent[64] = {};
  GetDlgItemTextW(detail, kIdDetailParentName, parent, 64);
  EXPECT_STREQ(parent, L"<Non-existent Process>");
  DestroyWindow(detail);
}

}  // namespace
}  // namespace kestro::systools
