// The service panel under Wine: Wine's own services, Start and Stop of the
// print spooler with the state texts and menu states they lead to.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "systools/service_model.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/service_tools.hpp"
#include "systools/win32/tools_panels.hpp"
#include "tests/wine/com_wine_support.hpp"
#include "tests/wine/systools_wine_support.hpp"

namespace kestro::systools {
namespace {

constexpr int kStart = kCmdServiceBase + static_cast<int>(ServiceMenuItem::Start);
constexpr int kStop = kCmdServiceBase + static_cast<int>(ServiceMenuItem::Stop);
constexpr int kUninstall = kCmdServiceBase + static_cast<int>(ServiceMenuItem::Uninstall);

std::wstring SpoolerState() {
  for (const ServiceRecord& record : ListServices().records) {
    if (record.serviceName == L"Spooler") return record.stateText;
  }
  return L"(missing)";
}

TEST(ServiceToolsTest, ListsWinesServicesWithTheirPaths) {
  const ServiceListing listing = ListServices();
  EXPECT_TRUE(listing.errorText.empty());
  ASSERT_GE(listing.records.size(), 5u);
  bool spooler = false, rpc = false;
  for (const ServiceRecord& record : listing.records) {
    if (record.serviceName == L"Spooler") {
      spooler = true;
      EXPECT_EQ(record.displayName, L"Print Spooler");
      EXPECT_NE(record.executablePath.find(L"spoolsv.exe"), std::wstring::npos) << record.executablePath;
    }
    if (record.serviceName == L"RpcSs") {
      rpc = true;
      EXPECT_EQ(record.stateText, L"RUNNING");
    }
  }
  EXPECT_TRUE(spooler);
  EXPECT_TRUE(rpc);
}

TEST(ServicePanelTest, StartAndStopOfTheSpoolerChangeItsStateText) {
  test::PanelHost host;
  HWND panel = CreateServicesPanel(host.window(), host.host());
  ASSERT_NE(panel, nullptr);
  host.Place(panel);
  HWND list = GetDlgItem(panel, kIdServiceList);
  ASSERT_GT(ListView_GetItemCount(list), 5);
  const std::wstring before = SpoolerState();

  const auto menu = reinterpret_cast<HMENU>(SendMessageW(panel, kMsgPrepareMenu, 0, 0));
  const auto enabled = [&](int command) { return (GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_GRAYED) == 0; };
  // Runs a menu command on the spooler's row; once the service has settled, the
  // same command again (now refused by the manager) rebuilds the list.
  const auto act = [&](int command, const wchar_t* settled) {
    const int row = test::FindRow(list, 0, L"Spooler");
    ASSERT_GE(row, 0);
    test::Select(list, row);
    SendMessageW(panel, WM_COMMAND, static_cast<WPARAM>(command), 0);
    ASSERT_TRUE(test::WaitFor([&] { return SpoolerState() == settled; }, std::chrono::seconds(20))) << settled;
    test::Select(list, test::FindRow(list, 0, L"Spooler"));
    SendMessageW(panel, WM_COMMAND, static_cast<WPARAM>(command), 0);
    const int after = test::FindRow(list, 0, L"Spooler");
    ASSERT_GE(after, 0);
    EXPECT_EQ(test::CellText(list, after, 2), settled);
    // The list builder selected the acted-on row again.
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), after);
    SendMessageW(panel, kMsgPrepareMenu, 0, 0);
  };

  act(kStart, L"RUNNING");
  EXPECT_FALSE(enabled(kStart));
  EXPECT_TRUE(enabled(kStop));
  act(kStop, L"STOPPED");
  EXPECT_TRUE(enabled(kStart));
  EXPECT_FALSE(enabled(kStop));
  EXPECT_TRUE(enabled(kUninstall));

  if (before == L"RUNNING") StartServiceNamed(L"Spooler");
}

TEST(ServicePanelTest, UninstallAsksAndNoKeepsTheService) {
  test::PanelHost host;
  HWND panel = CreateServicesPanel(host.window(), host.host());
  ASSERT_NE(panel, nullptr);
  HWND list = GetDlgItem(panel, kIdServiceList);
  const int row = test::FindRow(list, 0, L"Spooler");
  ASSERT_GE(row, 0);
  test::Select(list, row);
  const int rows = ListView_GetItemCount(list);
  auto answer = test::AnswerMessageBox(test::kTestTitle, IDNO);
  SendMessageW(panel, WM_COMMAND, kUninstall, 0);
  EXPECT_EQ(answer.get(), L"Are you sure want to uninstall Spooler service ?");
  EXPECT_NE(SpoolerState(), L"(missing)");
  EXPECT_EQ(ListView_GetItemCount(list), rows);
  // No rebuild: the selection is as it was.
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), row);
}

}  // namespace
}  // namespace kestro::systools
