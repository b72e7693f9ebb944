#pragma once
// frmStartup: the splash window. It runs the slower loading steps under its
// progress bar (the load timer), fades out, waits through the fade-out timer and
// hands over to the main window. The user cannot close it.

#include <array>
#include <functional>
#include <string>

#include "app/app_context.hpp"
#include "app/splash_progress.hpp"
#include "app/win32/window_base.hpp"

namespace kestro::app {

struct SplashHooks {
  // Main window: caption, size, centre, version label (splash activation step 2).
  std::function<void()> prepareMainWindow;
  // The running-process scan; it reports each process path to `showPath`.
  std::function<void(const std::function<void(const std::wstring&)>& showPath)> runProcessScan;
  std::function<void()> loadTree;
  std::function<void()> fillDefinitions;
  // Show the main window, its status line and database status, and act on the command line.
  std::function<void()> handOver;
};

class SplashWindow : public Window {
 public:
  SplashWindow(AppContext& ctx, SplashHooks hooks);
  // Makes and shows the window and starts the load timer.
  bool Start();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Mark {
    bool visible = false;
    bool done = false;
    std::wstring text;
  };

  void Activate();
  void LoadTick();
  void FadeoutTick();
  void Run(const SplashAction& action);
  void Paint(HDC dc, const RECT& client);
  void Refresh();

  AppContext& ctx_;
  SplashHooks hooks_;
  SplashProgress progress_;
  SplashFadeout fadeout_;
  std::array<Mark, 5> marks_{};
  bool inLoadTick_ = false;
  bool closing_ = false;
  std::wstring versionText_;
};

}  // namespace kestro::app
