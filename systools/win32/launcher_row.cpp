// The launcher row: the virtual keyboard and five system tools. Each button
// acts on the user's click only, and opens its tool with the shell's "open"
// verb, so the tool runs with the program's own rights.
#include <windows.h>

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

// The tool's own small icon, found on the search path; none when missing.
HICON ToolIcon(const wchar_t* program) {
  wchar_t found[MAX_PATH] = {};
  if (SearchPathW(nullptr, program, nullptr, MAX_PATH, found, nullptr) == 0) return nullptr;
  HICON icon = nullptr;
  if (ExtractIconExW(found, 0, nullptr, &icon, 1) != 1) return nullptr;
  return icon;
}

class LauncherRow final : public ToolWindow {
 public:
  explicit LauncherRow(const ToolsPanelHost& host) : host_(host) {}

  HWND Make(HWND parent) {
    return Create(L"KestroLauncherRow", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, L"", 0, 0, 0,
                  0, parent, nullptr, true);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        for (std::size_t i = 0; i < kLaunchers.size(); ++i) {
          buttons_[i] = CreateWindowExW(0, L"BUTTON", kLaunchers[i].caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0,
                                        0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdLauncherBase + i)),
                                        GetModuleHandleW(nullptr), nullptr);
          ui::UseFont(buttons_[i]);
          icons_[i] = ToolIcon(kLaunchers[i].program != nullptr ? kLaunchers[i].program : L"osk.exe");
          if (icons_[i] != nullptr) SendMessageW(buttons_[i], BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icons_[i]));
        }
        return 0;
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
          if (icon != nullptr) DestroyIcon(icon);
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

HWND CreateLauncherRow(HWND parent, const ToolsPanelHost& host) { return (new LauncherRow(host))->Make(parent); }

}  // namespace kestro::systools
