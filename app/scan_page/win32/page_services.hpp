#pragma once
// What the scan page and the quarantine panel reach the user and the system
// through: message boxes, questions, the folder dialog, the shell's "open", and
// the computer's shutdown. The program uses the system's; the in-process tests
// put recording stand-ins in their place (a shutdown must never really happen
// under test).

#include <windows.h>

#include <optional>
#include <string>

namespace kestro::app::scan_page {

class PageDialogs {
 public:
  virtual ~PageDialogs() = default;
  // A message box with an OK button; `icon` is MB_ICONINFORMATION, ... or 0.
  virtual void Message(HWND owner, const std::wstring& caption, const std::wstring& text, UINT icon) = 0;
  virtual bool AskYesNo(HWND owner, const std::wstring& caption, const std::wstring& text, UINT icon) = 0;
  // The folder-selection dialog; nothing when cancelled.
  virtual std::optional<std::wstring> ChooseFolder(HWND owner, const std::wstring& title) = 0;
  // The shell's "open" verb on `file` with `parameters`, in a normal window.
  virtual void Open(HWND owner, const std::wstring& file, const std::wstring& parameters) = 0;
};

class PowerControl {
 public:
  virtual ~PowerControl() = default;
  // Enables the shutdown privilege and shuts the computer down, forcing
  // applications to close.
  virtual void ShutDown() = 0;
};

PageDialogs& SystemDialogs();
PowerControl& SystemPower();

struct PageServices {
  PageDialogs* dialogs = nullptr;  // null: the system's
  PowerControl* power = nullptr;   // null: the system's
};

}  // namespace kestro::app::scan_page
