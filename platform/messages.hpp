#pragma once
// Messages to the user: a text with a caption and an icon, and Yes/No questions.

#include <string>

namespace kestro::platform {

enum class MessageIcon { None, Information, Exclamation, Critical };

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  // Shows a message with an OK button. Texts are UTF-8.
  virtual void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
  // Asks a Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
};

// Windows: message boxes. POSIX: the message on standard error; questions answer No.
UserMessages& NativeUserMessages();

}  // namespace kestro::platform
