// The process detail window frmModule: a details page and the module page.
#pragma once

#include <windows.h>

#include <string>

namespace kestro::systools {

// Shows the detail window of the process `pid` whose main module is `path`,
// modeless and owned by `owner`. A file larger than 1,048,576,000 bytes is
// refused with a message (title `programTitle`) and no window (nullptr).
HWND ShowProcessDetail(HWND owner, const std::wstring& programTitle, const std::wstring& path, DWORD pid);

}  // namespace kestro::systools
