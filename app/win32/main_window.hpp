#pragma once
// frmMain: the borderless main window. Its header acts as title bar (drag,
// menu, minimise, close), a column of six navigation entries switches the pages,
// and a red notice runs along the foot.

#include <string>
#include <vector>

#include "app/app_context.hpp"
#include "app/close_flow.hpp"
#include "app/navigation.hpp"
#include "app/scan_page/scan_page.hpp"
#include "app/settings_store.hpp"
#include "app/win32/pages.hpp"
#include "app/win32/virtual_keyboard.hpp"
#include "app/win32/window_base.hpp"

namespace kestro::app {

inline constexpr const wchar_t* kMainWindowClass = L"KestroMainWindow";

class MainWindow : public Window, private OptionActions, private CloseFlowHost {
 public:
  explicit MainWindow(AppContext& ctx);

  // Makes the window (hidden) and its pages, and loads it: the virtual keyboard
  // object, the options, navigation entry 0.
  bool Create();

  // Splash activation: caption, size and position, version label.
  void Prepare();
  // Splash hand-over: shows the window, runs the database status display and
  // acts on the command line.
  void HandOver();

  void FillDefinitions() { about_.FillDefinitions(); }

  // frmMain.Update: brings the update page forward.
  void Update();
  void Select(Page page);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  enum class HeaderButton { None = -1, Menu = 0, Minimise = 1, Close = 2 };

  // OptionActions
  void SetTopmost(bool on) override;
  void RegisterShellExtension(bool on) override;
  // CloseFlowHost
  void SaveSettings() override;
  bool ScanRunning() override;
  bool Ask(std::wstring_view question) override;
  void StopScan() override;
  void DeleteMarker(std::string_view valueName) override;
  void EndProgram() override;

  void CreatePages();
  void ActOnCommandLine(const std::wstring& commandLine);
  void ShowHelpMenu();
  void DatabasesReplaced();
  void OnScanPageNotice(ScanPageNotice notice, LPARAM lParam);
  void Paint(HDC dc, const RECT& client);
  RECT ButtonRect(HeaderButton button) const;
  HeaderButton ButtonAt(POINT point) const;
  int NavEntryAt(POINT point) const;
  void OnMouseMove(POINT point);
  void OnLeftDown(POINT point);
  void OnLeftUp(POINT point);

  AppContext& ctx_;
  SettingsStore settings_;
  Navigation navigation_;
  StatusPage status_;
  OptionsPage options_;
  ToolsPage tools_;
  AboutPage about_;
  VirtualKeyboard keyboard_;
  HWND pages_[kPageCount] = {};

  int navHover_ = -1;
  HeaderButton buttonHover_ = HeaderButton::None;
  HeaderButton buttonPressed_ = HeaderButton::None;
  bool trackingMouse_ = false;
  bool handedOver_ = false;
  bool closing_ = false;
  std::vector<std::wstring> pendingHandOvers_;
};

}  // namespace kestro::app
