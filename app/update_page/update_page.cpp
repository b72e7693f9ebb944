// Placeholder update page: an empty child window with the text "(page)".
#include "app/update_page/update_page.hpp"

#include <shellapi.h>

namespace kestro::update_page {

HWND CreateUpdatePage(HWND parent, const UpdatePageHost&) {
  return CreateWindowExW(0, L"STATIC", L"(page)", WS_CHILD | SS_CENTER, 0, 0, 0, 0, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void ShowUpdate(HWND) {}

void OpenWebLink(HWND owner, const std::wstring&, const std::wstring& url) {
  ShellExecuteW(owner, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kestro::update_page
