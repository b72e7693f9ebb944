// The launcher row: the virtual keyboard and five system tools. Each button
// acts on the user's click only, and opens its tool with the shell's "open"
// verb, so the tool runs with the program's own rights.
#include <windows.h>
// The Windows headers below build on the types above.
#include <shellapi.h>

#include <algorithm>
#include <array>

#include "systools/launcher_model.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/tools_panels.hpp"
#include "systools/win32/ui_style.hpp"
#include "systools/win32/window_base.hpp"

namespace kestro::systools {
namespace {

// The tool's own small icon, found on the search path; the stock application
// icon when the tool or its icon is missing.
HICON ToolIcon(const wchar_t* program) {
  wchar_t found[MAX_PATH] = {};
  HICON icon = nullptr;
  if (SearchPathW(nullptr, program, nullptr, MAX_PATH, found, nullptr) != 0 &&
      ExtractIconExW(found, 0, nullptr, &icon, 1) == 1 && icon != nullptr) {
    return icon;
  }
  return static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */, IMAGE_ICON, 16, 16, LR_SHARED));
}

class LauncherRow final : public ToolWindow {
 public:
  explicit LauncherRow(const ToolsPanelHost& host) : host_(host) {}

  HWND Make(HWND parent) {
    return Create(L"KestroLauncherRow", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                  L"", 0, 0, 0, 0, parent, nullptr, true);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        for (std::size_t i = 0; i < kLaunchers.size(); ++i) {
          buttons_[i] = CreateWindowExW(0, L"BUTTON", kLaunchers[i].caption,
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0, hwnd(),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdLauncherBase + i)),
                                        GetModuleHandleW(nullptr), nullptr);
          ui::UseFont(buttons_[i]);
          icons_[i] = ToolIcon(kLaunchers[i].program != nullptr ? kLaunchers[i].program : L"osk.exe");
        }
        return 0;
      case WM_DRAWITEM:
        DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd(), &client);
        ui::FillSolid(reinterpret_cast<HDC>(wParam), client, ui::kPageBackground);
        return 1;
      }
      case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
      case WM_COMMAND: {
        const int index = LOWORD(wParam) - kIdLauncherBase;
        if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < static_cast<int>(kLaunchers.size())) {
          Launch(static_cast<std::size_t>(index));
        }
        return 0;
      }
      case WM_DESTROY:
        for (HICON icon : icons_) {
          if (icon != nullptr) DestroyIcon(icon);  // a shared stock icon ignores this
        }
        return 0;
      default:
        return Default(message, wParam, lParam);
    }
  }

 private:
  HWND Owner() const { return host_.mainWindow != nullptr ? host_.mainWindow : GetAncestor(hwnd(), GA_ROOT); }

  void Layout(int width, int height) {
    const int gap = ui::DialogUnits::ForBodyFont().X(3);
    const int count = static_cast<int>(buttons_.size());
    const int buttonWidth = std::max(0, (width - (count - 1) * gap) / count);
    for (int i = 0; i < count; ++i) {
      // The last button takes what rounding left over.
      const int left = i * (buttonWidth + gap);
      const int right = i + 1 == count ? width : left + buttonWidth;
      MoveWindow(buttons_[static_cast<std::size_t>(i)], left, 0, right - left, height, TRUE);
    }
  }

  // A tile: the tool's icon and caption on the card colour. A tall tile puts
  // the icon above the caption, which may break into two lines there; a low
  // tile puts the icon beside the caption, which breaks into two lines when it
  // must.
  void DrawButton(const DRAWITEMSTRUCT& item) const {
    const int index = static_cast<int>(item.CtlID) - kIdLauncherBase;
    if (index < 0 || index >= static_cast<int>(kLaunchers.size())) return;
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ui::FillSolid(dc, box, pressed ? ui::kRule : ui::kCardBackground);
    ui::FrameSolid(dc, box, pressed ? ui::kAccent : ui::kRule);
    HICON icon = icons_[static_cast<std::size_t>(index)];
    const wchar_t* caption = kLaunchers[static_cast<std::size_t>(index)].caption;
    const int height = box.bottom - box.top;
    const UINT textFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_HIDEPREFIX;
    SIZE extent{};
    HGDIOBJ old = SelectObject(dc, ui::GetFont(ui::Font::Small));
    GetTextExtentPoint32W(dc, caption, static_cast<int>(wcslen(caption)), &extent);
    // The caption as a block of up to two lines across the tile's width.
    RECT wrapped = {0, 0, box.right - box.left - 6, 0};
    DrawTextW(dc, caption, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_HIDEPREFIX);
    SelectObject(dc, old);
    const int iconHeight = icon != nullptr ? 16 + 4 : 0;
    if (height >= 56 && wrapped.right <= box.right - box.left - 6 && iconHeight + wrapped.bottom <= height - 6) {
      const int top = box.top + (height - iconHeight - wrapped.bottom) / 2;
      if (icon != nullptr) DrawIconEx(dc, (box.left + box.right) / 2 - 8, top, icon, 16, 16, 0, nullptr, DI_NORMAL);
      RECT text = {box.left + 3, top + iconHeight, box.right - 3, top + iconHeight + wrapped.bottom};
      ui::DrawTextIn(dc, caption, text, ui::Font::Small, ui::kText, DT_CENTER | DT_WORDBREAK | DT_HIDEPREFIX);
    } else {
      const int iconSpace = icon != nullptr ? 19 : 0;
      const int content = std::min<int>(iconSpace + extent.cx, box.right - box.left - 6);
      const int left = box.left + (box.right - box.left - content) / 2;
      if (icon != nullptr)
        DrawIconEx(dc, left, (box.top + box.bottom) / 2 - 8, icon, 16, 16, 0, nullptr, DI_NORMAL);
      // A caption wider than its room breaks into two lines, centred as a block.
      RECT text = {left + iconSpace, box.top, box.right - 2, box.bottom};
      const int width = text.right - text.left;
      UINT format = textFormat | DT_LEFT;
      if (extent.cx > width) {
        RECT measure = {0, 0, width, 0};
        old = SelectObject(dc, ui::GetFont(ui::Font::Small));
        DrawTextW(dc, caption, -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_HIDEPREFIX);
        SelectObject(dc, old);
        const int blockHeight = measure.bottom;
        text.top = box.top + (height - blockHeight) / 2;
        text.bottom = text.top + blockHeight;
        format = DT_LEFT | DT_WORDBREAK | DT_HIDEPREFIX | DT_END_ELLIPSIS;
      }
      ui::DrawTextIn(dc, caption, text, ui::Font::Small, ui::kText, format);
    }
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
      RECT focus = box;
      InflateRect(&focus, -3, -3);
      DrawFocusRect(dc, &focus);
    }
  }

  void Launch(std::size_t index) {
    const Launcher& launcher = kLaunchers[index];
    if (launcher.program == nullptr) {
      if (host_.showVirtualKeyboard) host_.showVirtualKeyboard(Owner());
      return;
    }
    // The current user's policy values that would block the tool.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSystemPolicyKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      for (const wchar_t* value : launcher.policies) {
        if (value != nullptr) RegDeleteValueW(key, value);
      }
      RegCloseKey(key);
    }
    ShellExecuteW(Owner(), L"open", launcher.program, nullptr, launcher.folder, SW_SHOWNORMAL);
  }

  ToolsPanelHost host_;
  std::array<HWND, kLaunchers.size()> buttons_{};
  std::array<HICON, kLaunchers.size()> icons_{};
};

}  // namespace

HWND CreateLauncherRow(HWND parent, const ToolsPanelHost& host) {
  return (new LauncherRow(host))->Make(parent);
}

}  // namespace kestro::systools
