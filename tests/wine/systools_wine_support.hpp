#pragma once
// Helpers of the system tools' Windows tests: a host window for the panels,
// started test programs, list texts, answering a message box from another
// thread.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "systools/win32/tools_panels.hpp"

namespace kestro::test {

inline constexpr const wchar_t* kTestTitle = L"KESTRO Systools Test";

// A hidden top-level window that stands in for the main window.
class PanelHost {
 public:
  PanelHost();
  ~PanelHost();
  PanelHost(const PanelHost&) = delete;
  PanelHost& operator=(const PanelHost&) = delete;
  HWND window() const { return window_; }
  systools::ToolsPanelHost host() const;
  // Gives a child window a size, as the main window does.
  void Place(HWND panel) const;

 private:
  HWND window_ = nullptr;
};

// A started test program, ended at the end of the scope.
class StartedProgram {
 public:
  explicit StartedProgram(const std::wstring& arguments);
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }
  bool Running() const;
  static std::wstring Path();

 private:
  PROCESS_INFORMATION info_{};
};

// The text of a list cell.
std::wstring CellText(HWND list, int row, int column);
// The row whose cell in `column` reads `text`, or -1.
int FindRow(HWND list, int column, const std::wstring& text);
void Select(HWND list, int row);

// Waits (on another thread) for a dialog box with the title `title`, reads
// its message text and presses `button` (IDYES, IDNO, IDOK, IDCANCEL). The
// future holds the text ("" when the box has none), or nothing when no box
// came within the time.
std::future<std::optional<std::wstring>> AnswerDialog(const std::wstring& title, int button,
                                                      std::chrono::milliseconds limit = std::chrono::seconds(15));
// Processes this thread's window messages for a while.
void PumpMessages(std::chrono::milliseconds duration);
// The same for a message box, whose text must be there: "" when none came.
std::future<std::wstring> AnswerMessageBox(const std::wstring& title, int button);

// The processes (identifiers) whose executable is `name`.
std::vector<DWORD> ProcessesNamed(const std::wstring& name);

// The threads of a process (Tool Help).
std::vector<DWORD> ThreadIds(DWORD pid);
// The processes whose parent is `pid` and whose executable is `name`.
std::vector<DWORD> ChildProcesses(DWORD pid, const std::wstring& name);

}  // namespace kestro::test
