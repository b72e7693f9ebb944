#pragma once
// The scan's progress on the main window's taskbar button (not used on XP).

#include <windows.h>
#include <shobjidl.h>

namespace kestro::app::scan_page {

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  ~TaskbarProgress();
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  // Shows `percent` (0 to 100), normal or paused; `active` false clears it.
  void Show(HWND window, bool active, int percent, bool paused);

 private:
  ITaskbarList3* list_ = nullptr;
  bool triedCreate_ = false;
  bool shown_ = false;
  int percent_ = -1;
  bool paused_ = false;
};

}  // namespace kestro::app::scan_page
