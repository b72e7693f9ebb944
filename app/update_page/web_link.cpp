// The web-link opener: opens a link only when the computer is online.
#include "update/web_link.hpp"

// <shellapi.h> needs <windows.h> first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "app/update_page/inet_probe.hpp"
#include "app/update_page/page_text.hpp"
#include "app/update_page/update_page.hpp"
#include "update/update_texts.hpp"

namespace kestro::update_page {

void OpenWebLink(HWND owner, const std::wstring& title, const std::wstring& url) {
  InetProbe probe(ProgramFolderOfProcess());
  update::OpenWebLinkWhenOnline(
      probe, [&] { ShellExecuteW(owner, L"open", url.c_str(), L"", L"", SW_SHOWNORMAL); },
      [&] {
        MessageBoxW(owner, WideFromAnsi(update::kNotConnectedMessage).c_str(), title.c_str(),
                    MB_OK | MB_ICONERROR);
      });
}

void OpenHelpMenuLink(HWND owner, const std::wstring& title, const std::wstring& siteAddress, int item) {
  const auto link = update::HelpMenuLink(NarrowFrom(siteAddress, CP_UTF8), item);
  if (link) OpenWebLink(owner, title, WideFrom(*link, CP_UTF8));
}

}  // namespace kestro::update_page
