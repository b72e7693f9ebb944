// The launcher row and the Run dialog under Wine: the keyboard button hands
// over to the host, a tool button deletes its own policy values (and only
// those) and opens its tool; "Create Process" opens the system's Run dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "systools/launcher_model.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/tools_panels.hpp"
#include "tests/wine/com_wine_support.hpp"
#include "tests/wine/systools_wine_support.hpp"

namespace kestro::systools {
namespace {

bool PolicyValueExists(const wchar_t* name) {
  DWORD value = 0, size = sizeof(value);
  return RegGetValueW(HKEY_CURRENT_USER, kSystemPolicyKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
         ERROR_SUCCESS;
}

void SetPolicyValue(const wchar_t* name) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSystemPolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
  RegCloseKey(key);
}

// A click on launcher `index`, as the button reports it to the row.
void Click(HWND row, int index) {
  HWND button = GetDlgItem(row, kIdLauncherBase + index);
  SendMessageW(row, WM_COMMAND, MAKEWPARAM(kIdLauncherBase + index, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

TEST(LauncherRowTest, KeyboardButtonShowsTheKeyboardOverTheMainWindow) {
  test::PanelHost host;
  auto panelHost = host.host();
  HWND shownOver = nullptr;
  int calls = 0;
  panelHost.showVirtualKeyboard = [&](HWND owner) {
    shownOver = owner;
    ++calls;
  };
  HWND row = CreateLauncherRow(host.window(), panelHost);
  ASSERT_NE(row, nullptr);
  Click(row, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(shownOver, host.window());
  // Without a keyboard the button does nothing.
  panelHost.showVirtualKeyboard = nullptr;
  HWND bare = CreateLauncherRow(host.window(), panelHost);
  Click(bare, 0);
  EXPECT_EQ(calls, 1);
}

TEST(LauncherRowTest, TaskManagerButtonDeletesItsPolicyValueAndOpensTheTool) {
  SetPolicyValue(L"DisableTaskmgr");
  SetPolicyValue(L"DisableCMD");
  test::PanelHost host;
  HWND row = CreateLauncherRow(host.window(), host.host());
  ASSERT_NE(row, nullptr);
  const auto before = test::ProcessesNamed(L"taskmgr.exe");
  wchar_t caption[64] = {};
  GetWindowTextW(GetDlgItem(row, kIdLauncherBase + 3), caption, 64);
  EXPECT_STREQ(caption, L"Task Manager");

  Click(row, 3);
  EXPECT_FALSE(PolicyValueExists(L"DisableTaskmgr"));
  EXPECT_TRUE(PolicyValueExists(L"DisableCMD"));  // another tool's value stays
  std::vector<DWORD> started;
  EXPECT_TRUE(test::WaitFor([&] { return (started = test::ProcessesNamed(L"taskmgr.exe")).size() > before.size(); },
                            std::chrono::seconds(15)));
  for (const DWORD pid : started) {
    if (std::find(before.begin(), before.end(), pid) != before.end()) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) continue;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kSystemPolicyKey, L"DisableCMD");
}

TEST(ProcessPanelRunDialogTest, CreateProcessOpensTheRunDialog) {
  test::PanelHost host;
  HWND panel = CreateProcessManagerPanel(host.window(), host.host());
  ASSERT_NE(panel, nullptr);
  auto dialog = test::AnswerDialog(L"Create Process ...", IDCANCEL);
  SendMessageW(panel, WM_COMMAND, kCmdCreateProcess, 0);
  EXPECT_TRUE(dialog.get().has_value());
}

}  // namespace
}  // namespace kestro::systools
