#pragma once
// Text conversions at the page's edge: the updater works in the system code
// page (one char per byte), the window in UTF-16; console-style UTF-8 for
// addresses.

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/wide_text.hpp"

namespace kestro::update_page {

using platform::NarrowFrom;
using platform::WideFrom;

inline std::wstring WideFromAnsi(std::string_view text) {
  return WideFrom(text, CP_ACP);
}
inline std::string AnsiFrom(std::wstring_view text) {
  return NarrowFrom(text, CP_ACP);
}

}  // namespace kestro::update_page
