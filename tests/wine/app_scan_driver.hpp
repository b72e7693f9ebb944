#pragma once
// Drives the real "KESTRO Antivirus.exe" from another process, as a user would:
// starts it with a command line, finds its windows, reads the detection list
// (list-view texts live in the program's memory, so they are read through a
// buffer placed there), answers its message boxes and photographs the screen.
// Shared by the end-to-end tests, the screenshots and the benchmark.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestro::test::app_scan {

// The program's process.
class RunningProgram {
 public:
  // Starts the program from `programFolder` with `arguments` as its command line
  // after its own name.
  RunningProgram(const std::filesystem::path& programFolder, const std::wstring& arguments);
  ~RunningProgram();  // ends the program when it still runs
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  HANDLE Process() const { return process_; }
  // Waits for the program to end; its exit code, or nothing on time-out.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds limit);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Polls `done` (sleeping a few milliseconds between tries) until it answers
// true or the time is up.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// Top-level windows of a process with this class (and title, when given).
HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr);
// The first descendant of `parent` with this class.
HWND FindDescendant(HWND parent, const wchar_t* className);
std::wstring TextOf(HWND window);

// A message box of the program.
struct MessageBoxSeen {
  HWND dialog = nullptr;
  std::wstring caption;
  std::wstring text;
  enum class Icon { None, Information, Exclamation, Error, Unknown } icon = Icon::None;
};
std::optional<MessageBoxSeen> FindMessageBox(DWORD processId);
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, std::chrono::milliseconds limit);
// Presses a button of a dialog (IDOK, IDYES, IDNO ...) and waits until it has gone.
void Press(HWND dialog, int buttonId);

// A buffer in another process's memory for messages that carry pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND ownerWindow, std::size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  void* Address() const { return address_; }
  void* At(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t size);
  bool Read(std::size_t offset, void* data, std::size_t size) const;

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

// The detection list of another process.
struct ListRow {
  std::vector<std::wstring> cells;
  int iconNumber = 0;  // 1 cleaned, 2 detected, 3 quarantined
  bool selected = false;
};
int RowCount(HWND list);
std::vector<ListRow> ReadRows(HWND list, int columns);
// Selects and focuses one row (the others lose their selection).
void SelectRow(HWND list, int row);
RECT RowRect(HWND list, int row);

// The program's windows.
struct ProgramWindows {
  HWND main = nullptr;
  HWND scanPage = nullptr;
  HWND quarantinePanel = nullptr;
  HWND Control(int id) const { return GetDlgItem(scanPage, id); }
};
std::optional<ProgramWindows> WaitForProgramWindows(DWORD processId, std::chrono::milliseconds limit);

// Photographs a part of the screen (the whole screen when `area` is empty) into
// a 24-bit BMP file.
bool SaveScreen(const std::filesystem::path& bmpFile, RECT area = {});

// HKEY_CURRENT_USER "Software\KESTRO" number, or nothing.
std::optional<DWORD> ReadMarker(const wchar_t* name);
void DeleteMarker(const wchar_t* name);

}  // namespace kestro::test::app_scan
