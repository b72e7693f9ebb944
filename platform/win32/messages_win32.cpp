// Windows: message boxes with the caption and icon given.
#include "platform/messages.hpp"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.hpp"

namespace kestro::platform {
namespace {

std::wstring Wide(const std::string& utf8) { return WideFromUtf8(utf8); }

UINT IconFlag(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::Critical: return MB_ICONERROR;
    case MessageIcon::None: break;
  }
  return 0;
}

class MessageBoxes final : public UserMessages {
 public:
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override {
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | IconFlag(icon));
  }
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override {
    return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_YESNO | IconFlag(icon)) == IDYES;
  }
};

// The captions the hook gives the buttons of the box being opened on this thread.
struct ButtonCaptions {
  std::wstring first;
  std::wstring second;
};
thread_local const ButtonCaptions* tCaptions = nullptr;

LRESULT CALLBACK RelabelButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && tCaptions != nullptr) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    // Only a dialog box is relabelled, not some other window the thread activates.
    if (GetClassNameW(window, className, 16) > 0 && std::wstring(className) == L"#32770") {
      SetDlgItemTextW(window, IDYES, tCaptions->first.c_str());
      SetDlgItemTextW(window, IDNO, tCaptions->second.c_str());
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hook and the captions it reads, for the lifetime of one box on this thread;
// the previous captions come back afterwards, so a box opened from inside
// another (through its message loop) leaves the outer one's captions intact.
class ScopedButtonCaptions {
 public:
  explicit ScopedButtonCaptions(const ButtonCaptions& captions)
      : previous_(tCaptions), hook_(SetWindowsHookExW(WH_CBT, RelabelButtons, nullptr, GetCurrentThreadId())) {
    tCaptions = &captions;
  }
  ~ScopedButtonCaptions() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    tCaptions = previous_;
  }
  ScopedButtonCaptions(const ScopedButtonCaptions&) = delete;
  ScopedButtonCaptions& operator=(const ScopedButtonCaptions&) = delete;

 private:
  const ButtonCaptions* previous_;
  HHOOK hook_;
};

}  // namespace

UserMessages& NativeUserMessages() {
  static MessageBoxes messages;
  return messages;
}

int NativeTwoButtonQuestion::Ask(const std::string& text, const std::string& title, MessageIcon icon,
                                 const std::string& first, const std::string& second) {
  const ButtonCaptions captions{Wide(first), Wide(second)};
  const ScopedButtonCaptions relabel(captions);
  return MessageBoxW(static_cast<HWND>(owner_), Wide(text).c_str(), Wide(title).c_str(), MB_YESNO | IconFlag(icon));
}

}  // namespace kestro::platform
