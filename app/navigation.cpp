#include "app/navigation.hpp"

namespace kestro::app {

int ScanTabPanelLeft(int selectedTab) { return selectedTab == kScanTabDirectory ? 153 : 149; }

int ToolsTabPanelLeft(int selectedTab) { return selectedTab == kToolsTabQuarantine ? 477 : 473; }

NavigationStep Navigation::Select(Page page) {
  NavigationStep step;
  step.visible[static_cast<std::size_t>(page)] = true;
  if (page == Page::Scan) step.reapply = TabLayout::ScanTabs;
  if (page == Page::Tools) step.reapply = TabLayout::ToolsTabs;
  current_ = page;
  return step;
}

}  // namespace kestro::app
