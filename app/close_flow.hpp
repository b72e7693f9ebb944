#pragma once
// Closing the main window (its close picture and the window's own close request):
// the options are saved first, then the user confirms. Yes stops a running scan,
// removes the scan markers "VirusDetected" and "MulaiScan" and ends the program;
// No keeps the window open.

#include <string_view>

namespace kestro::app {

inline constexpr std::wstring_view kAskExit = L"Are you sure want to exit ?";
inline constexpr std::wstring_view kAskAbortScan = L"Are you sure want to abort scan ?";

class CloseFlowHost {
 public:
  virtual ~CloseFlowHost() = default;
  virtual void SaveSettings() = 0;
  virtual bool ScanRunning() = 0;
  // A Yes/No question (information icon, the program title); true for Yes.
  virtual bool Ask(std::wstring_view question) = 0;
  virtual void StopScan() = 0;
  virtual void DeleteMarker(std::string_view valueName) = 0;
  virtual void EndProgram() = 0;
};

enum class CloseOutcome { Stayed, Ended };

CloseOutcome RunCloseFlow(CloseFlowHost& host);

}  // namespace kestro::app
