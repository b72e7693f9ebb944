#pragma once
// Messages to the user: a text with a caption and an icon, Yes/No questions,
// and the two-button question whose buttons carry captions of the caller's.

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

// Answer codes of the two-button question, as the platform gives them.
inline constexpr int kFirstButtonAnswer = 6;   // the box's "Yes" button
inline constexpr int kSecondButtonAnswer = 7;  // the box's "No" button

class TwoButtonQuestion {
 public:
  virtual ~TwoButtonQuestion() = default;
  // Asks with two buttons captioned `first` and `second`; answers
  // kFirstButtonAnswer for the first, the platform's code otherwise (the second
  // button, or 0 when the question could not be shown). Texts are UTF-8.
  virtual int Ask(const std::string& text, const std::string& title, MessageIcon icon, const std::string& first,
                  const std::string& second) = 0;
};

// Windows: a Yes/No message box owned by `ownerWindow` (an HWND, or null for
// none) whose buttons a window-creation hook on the calling thread relabels while
// the box is up; the hook is removed again on every path. POSIX: the question on
// standard error, answered with the second button (there is no one to ask).
class NativeTwoButtonQuestion final : public TwoButtonQuestion {
 public:
  explicit NativeTwoButtonQuestion(void* ownerWindow = nullptr) : owner_(ownerWindow) {}
  int Ask(const std::string& text, const std::string& title, MessageIcon icon, const std::string& first,
          const std::string& second) override;

 private:
  void* owner_;
};

}  // namespace kestro::platform
