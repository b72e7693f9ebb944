// POSIX: messages go to standard error; there is no one to answer a question.
#include "platform/messages.hpp"

#include <iostream>

namespace kestro::platform {
namespace {

class StderrMessages final : public UserMessages {
 public:
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon) override {
    std::cerr << caption << ": " << text << "\n";
  }
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override {
    ShowMessage(caption, text + " (answered No)", icon);
    return false;
  }
};

}  // namespace

UserMessages& NativeUserMessages() {
  static StderrMessages messages;
  return messages;
}

int NativeTwoButtonQuestion::Ask(const std::string& text, const std::string& title, MessageIcon icon,
                                 const std::string&, const std::string& second) {
  NativeUserMessages().ShowMessage(title, text + " (answered " + second + ")", icon);
  return kSecondButtonAnswer;
}

}  // namespace kestro::platform
