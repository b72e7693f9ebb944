#pragma once
// The main window's six navigation entries and the tab rules of its two tab strips.
//
// Exactly one entry is current. A click hides every other page and its pin,
// re-applies the tab layout of the scan page (entry 1) or the tools page (entry 3),
// and shows the clicked page and its pin; clicking the current entry again keeps
// it shown and re-applies its layout.

#include <array>

namespace kestro::app {

enum class Page : int { Status = 0, Scan = 1, Options = 2, Tools = 3, Update = 4, About = 5 };
inline constexpr int kPageCount = 6;

// The tab strips' tabs are numbered from 1, as the strips number them.
inline constexpr int kScanTabDirectory = 1;
inline constexpr int kToolsTabQuarantine = 4;

// Left positions (window scale units) of the panels under the tab strips.
int ScanTabPanelLeft(int selectedTab);   // 153 for "Directory", 149 otherwise
int ToolsTabPanelLeft(int selectedTab);  // 477 for "Quarantine List", 473 otherwise

enum class TabLayout { None, ScanTabs, ToolsTabs };

struct NavigationStep {
  std::array<bool, kPageCount> visible{};  // page and pin visibility after the click
  TabLayout reapply = TabLayout::None;
};

class Navigation {
 public:
  Page Current() const { return current_; }
  // A click on entry `page`; also the start (entry 0) and frmMain.Update (entry 4).
  NavigationStep Select(Page page);

 private:
  Page current_ = Page::Status;
};

}  // namespace kestro::app
