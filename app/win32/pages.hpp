#pragma once
// The main window's own pages (status, options, tools, product information).
// Each is a child window in the page area that lays out its controls on WM_SIZE.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/app_context.hpp"
#include "app/navigation.hpp"
#include "app/settings_store.hpp"
#include "app/status_frame.hpp"
#include "app/win32/window_base.hpp"

namespace kestro::app {

// Page 0: the protection banner, the status frame with "More" / "Fewer" and
// shortcuts to the scan and update pages.
class StatusPage : public Window {
 public:
  StatusPage(AppContext& ctx, std::function<void(Page)> navigate);
  HWND CreatePage(HWND parent);
  // The banner from the database age flag (the housekeeping tick).
  void RefreshProtection();
  // The database line as the database status display answers it.
  void SetDatabaseText(std::wstring text);
  const StatusFrame& Frame() const { return frame_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  void Paint(HDC dc, const RECT& client);
  void DrawButton(const DRAWITEMSTRUCT& item);
  RECT FrameRect() const;
  RECT SettingRect(int index) const;  // the four tiles under "Protection settings"

  AppContext& ctx_;
  std::function<void(Page)> navigate_;
  StatusFrame frame_;
  HWND toggle_ = nullptr;
  HWND scanCard_ = nullptr;
  HWND updateCard_ = nullptr;
  bool shownOutOfDate_ = false;
  bool bannerShown_ = false;
  std::wstring databaseText_;
};

// Page 2: the ten options as on/off picture pairs.
class OptionsPage : public Window {
 public:
  OptionsPage(AppContext& ctx, SettingsStore& settings, OptionActions& actions);
  HWND CreatePage(HWND parent);
  // Shows the states held in the context (after the settings were loaded).
  void ShowStates();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  RECT SwitchRect(int index) const;
  int RowTop(int index) const;
  int SwitchAt(int x, int y) const;
  void Paint(HDC dc, const RECT& client);

  AppContext& ctx_;
  SettingsStore& settings_;
  OptionActions& actions_;
  int hover_ = -1;
  bool tracking_ = false;
};

// Page 3: the tools tab strip ("Process Manager", "Services", "Peformance Info",
// "Quarantine List") over the system tools' panels and the quarantine panel, and
// the launcher row.
class ToolsPage : public Window {
 public:
  explicit ToolsPage(AppContext& ctx);
  HWND CreatePage(HWND parent);
  // Re-applies the tab layout (the navigation does this when the page is selected).
  void ApplyTabLayout();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  RECT TabRect(int tab) const;  // tabs numbered from 1
  int TabAt(POINT point) const;
  void SelectTab(int tab);
  void Paint(HDC dc, const RECT& client);

  AppContext& ctx_;
  int selectedTab_ = 1;
  int hoverTab_ = 0;
  bool tracking_ = false;
  HWND panels_[4] = {};
  HWND launcher_ = nullptr;
};

// Page 5: product information: versions of the program and its libraries, and the
// definition list.
class AboutPage : public Window {
 public:
  explicit AboutPage(AppContext& ctx);
  HWND CreatePage(HWND parent);
  // Fills the definition list from the loaded signature lists.
  void FillDefinitions();
  // The version texts after start-up (and after the databases were replaced).
  void Refresh();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  void Paint(HDC dc, const RECT& client);

  AppContext& ctx_;
  HWND list_ = nullptr;
  HBITMAP logo_ = nullptr;
  std::vector<const std::string*> names_;
  std::wstring cell_;
};

// Brush and text colours for the static and button controls on a white page.
LRESULT PageControlColour(HDC dc);

}  // namespace kestro::app
