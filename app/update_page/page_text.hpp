#pragma once
// Text conversions at the page's edge: the updater works in the system code
// page (one char per byte), the window in UTF-16; console-style UTF-8 for
// addresses.

#include <windows.h>

#include <string>
#include <string_view>

namespace kestro::update_page {

inline std::wstring WideFrom(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

inline std::string NarrowFrom(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr,
                        nullptr);
  return narrow;
}

inline std::wstring WideFromAnsi(std::string_view text) {
  return WideFrom(text, CP_ACP);
}
inline std::string AnsiFrom(std::wstring_view text) {
  return NarrowFrom(text, CP_ACP);
}

}  // namespace kestro::update_page
