#pragma once
// The detection list's three small icons, drawn at start: image 1 a cleaned file
// (green tick), image 2 a detected file (red warning), image 3 a quarantined
// file (blue lock). Index = icon number - 1.

#include <windows.h>
#include <commctrl.h>

namespace kestro::app::scan_page {

HIMAGELIST MakeRowIcons(int size);

}  // namespace kestro::app::scan_page
