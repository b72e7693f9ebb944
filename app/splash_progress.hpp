#pragma once
// The splash window's loading rules: the progress value of the 25 ms load timer,
// what each value triggers, and the 20 ms fade-out timer that hands over to the
// main window. The window runs the actions in the order given.

#include <vector>

namespace kestro::app {

// Captions of the five steps; each has a status mark beside it.
inline constexpr const wchar_t* kSplashStepCaptions[5] = {
    L"\u00BB Configuring Environment .",  L"\u00BB Configuring Virus Definition .",
    L"\u00BB Scanning Process .",         L"\u00BB Building Main Application .",
    L"\u00BB Initialize DirTree .",
};
inline constexpr const wchar_t* kSplashMarkDone = L"[ OK ]";
inline constexpr const wchar_t* kSplashTreeLoading = L"Loading DirTree items ...";

enum class SplashActionKind {
  PumpMessages,      // process pending window messages
  ShowMark,          // make mark `arg` visible
  MarkDone,          // mark `arg`: visible, green, "[ OK ]"
  RunProcessScan,    // the running-process scan (it shows each path in mark 2)
  StartScanSection,  // the log's scanning heading
  ShowTreeLoading,   // mark 4: visible, green, kSplashTreeLoading
  LoadTree,          // the main window's folder tree
  FillDefinitions,   // the definition list, the scan-path label "" and files-scanned "0"
  Wait,              // wait `arg` milliseconds, processing messages
  StopLoadTimer,
  FadeOut,           // the splash fades to nothing and hides
  StartFadeoutTimer,
};

struct SplashAction {
  SplashActionKind kind;
  int arg = 0;
  bool operator==(const SplashAction&) const = default;
};

class SplashProgress {
 public:
  int Value() const { return value_; }
  bool Finished() const { return finished_; }

  // One tick of the load timer. After the tick that reaches 100 and fades out,
  // further ticks (a late timer message) do nothing.
  std::vector<SplashAction> Tick();

 private:
  int value_ = 0;
  bool definitionsFilled_ = false;
  bool finished_ = false;
};

// The fade-out timer: the splash is already hidden, so its opacity value only
// counts down (by 8 a tick from 255: 32 ticks) before the hand-over.
class SplashFadeout {
 public:
  // Answers true on the tick that hands over to the main window (the value has
  // gone below 1); later ticks answer false.
  bool Tick();
  int Opacity() const { return opacity_; }

 private:
  int opacity_ = 255;
  bool handedOver_ = false;
};

// The layered opacities of the splash's own fade: from `from` down by 2, then 0.
std::vector<int> FadeOutOpacities(int from);

}  // namespace kestro::app
