#pragma once
// The Windows side of a scan run: the scan markers in the registry, the two
// sounds, the date and time text of a detection, the long path form, the run's
// other side effects, and message boxes that are safe to ask for from the
// engine's worker threads.

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "app/scan_page/scan_controller.hpp"
#include "app/scan_page/ui_call_queue.hpp"
#include "app/scan_page/win32/page_services.hpp"
#include "platform/messages.hpp"
#include "scan/scan_one_file.hpp"
#include "scan/scan_run.hpp"

namespace kestro::app::scan_page {

// REG_DWORD values under HKEY_CURRENT_USER "Software\KESTRO".
class RegistryMarkers final : public scan::ScanMarkers {
 public:
  void SetMarker(std::string_view name, std::uint32_t value) override;
  void DeleteMarker(std::string_view name) override;
};

// Plays a wave file of the program folder asynchronously, when it exists.
void PlayProgramSound(const std::filesystem::path& programFolder, const wchar_t* relative);

// The detected sound. Hits that come while it still sounds do not start it
// again: a new start only cuts the chime off, and starting a sound costs the
// scan several milliseconds each time.
class DetectedSound final : public scan::DetectionSound {
 public:
  explicit DetectedSound(std::filesystem::path programFolder) : programFolder_(std::move(programFolder)) {}
  void PlayDetected() override;

 private:
  std::filesystem::path programFolder_;
  std::atomic<ULONGLONG> startedAt_{0};
};

// The platform's default date and time text (short date, then the time).
class LocalDateTime final : public scan::DetectionClock {
 public:
  std::string NowText() const override;
};

class PlatformLongPaths final : public scan::LongPathForm {
 public:
  std::filesystem::path LongForm(const std::filesystem::path& path) const override;
};

class PageRunEffects final : public RunEffects {
 public:
  PageRunEffects(std::filesystem::path programFolder, PowerControl& power, std::function<void()> repairRegistry)
      : programFolder_(std::move(programFolder)), power_(power), repairRegistry_(std::move(repairRegistry)) {}
  void PlayFinishedSound() override { PlayProgramSound(programFolder_, L"Sound\\finished.wav"); }
  void ShutDownComputer() override { power_.ShutDown(); }
  void RepairRegistry() override {
    if (repairRegistry_) repairRegistry_();
  }

 private:
  std::filesystem::path programFolder_;
  PowerControl& power_;
  std::function<void()> repairRegistry_;
};

// Message boxes owned by the main window. Asked for from another thread, they
// are shown by the window thread while the caller waits; once the page is
// gone, a question answers No and a message is dropped.
class WindowThreadMessages final : public platform::UserMessages {
 public:
  WindowThreadMessages(UiCallQueue& ui, PageDialogs& dialogs, HWND owner)
      : ui_(ui), dialogs_(dialogs), owner_(owner), windowThread_(GetCurrentThreadId()) {}
  void ShowMessage(const std::string& caption, const std::string& text, platform::MessageIcon icon) override;
  bool AskYesNo(const std::string& caption, const std::string& text, platform::MessageIcon icon) override;

 private:
  void OnWindowThread(const std::function<void()>& call);

  UiCallQueue& ui_;
  PageDialogs& dialogs_;
  HWND owner_;
  DWORD windowThread_;
};

UINT MessageBoxIcon(platform::MessageIcon icon);
UINT MessageBoxIcon(scan::MessageIcon icon);

}  // namespace kestro::app::scan_page
