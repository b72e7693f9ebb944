// Windows: message boxes with the caption and icon given.
#include "platform/messages.hpp"

#include <windows.h>

namespace kestro::platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

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

}  // namespace

UserMessages& NativeUserMessages() {
  static MessageBoxes messages;
  return messages;
}

}  // namespace kestro::platform
