#pragma once
// Where the tools page's drawn tab strip puts its tabs: the page paints and
// hit-tests with it, and the test driver clicks the tabs by it.

#include <windows.h>

namespace kestro::app {

inline constexpr int kToolsTabCount = 4;
inline constexpr int kToolsStripTop = 12;
inline constexpr int kToolsStripHeight = 36;
inline constexpr const wchar_t* kToolsTabCaptions[kToolsTabCount] = {L"Process Manager", L"Services",
                                                                    L"Peformance Info", L"Quarantine List"};

// The rectangle of a tab (numbered from 1) in the page's client coordinates.
RECT ToolsTabRect(int tab);

}  // namespace kestro::app
