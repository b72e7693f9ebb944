// Times the real program's scan of a folder and the longest time its window
// took to answer a message meanwhile (bench/app_scan_bench.sh prints it next to
// kestro-scan's time on the same folder):
//   kestro_app_scan_bench.exe PROGRAM_FOLDER TREE_FOLDER
// The scan time runs from the moment the run writes "MulaiScan" to the moment
// its finish message shows; a helper thread sends the main window an empty
// message every few milliseconds and keeps the longest answer time.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

#include "app/scan_page/win32/page_factory.hpp"
#include "tests/wine/app_scan_driver.hpp"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace kestro::test::app_scan;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kestro_app_scan_bench PROGRAM_FOLDER TREE_FOLDER\n");
    return 2;
  }
  DeleteMarker(L"MulaiScan");
  RunningProgram program(argv[1], argv[2]);
  const auto windows = WaitForProgramWindows(program.Id(), 120s);
  if (!windows) {
    std::fprintf(stderr, "the program did not open\n");
    return 1;
  }
  if (!WaitUntil([] { return ReadMarker(L"MulaiScan").has_value(); }, 120s)) {
    std::fprintf(stderr, "the scan did not start\n");
    return 1;
  }
  const auto started = Clock::now();

  // Sends the main window an empty message every few milliseconds until `until`
  // answers true; keeps the longest answer, when it came, and how many took
  // longer than 100 ms.
  struct Answers {
    double longestMs = 0;
    double longestAtS = 0;
    long probes = 0;
    long slow = 0;
  };
  const auto probe = [&](const std::function<bool()>& until) {
    Answers answers;
    const auto from = Clock::now();
    std::atomic<bool> probing{true};
    std::thread sender([&] {
      while (probing) {
        const auto sent = Clock::now();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(windows->main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
        const double ms = Milliseconds(Clock::now() - sent);
        if (ms > answers.longestMs) {
          answers.longestMs = ms;
          answers.longestAtS = Milliseconds(sent - from) / 1000.0;
        }
        if (ms > 100.0) ++answers.slow;
        ++answers.probes;
        std::this_thread::sleep_for(5ms);
      }
    });
    until();
    probing = false;
    sender.join();
    return answers;
  };

  std::optional<MessageBoxSeen> finish;
  const Answers during = probe([&] {
    finish = WaitForMessageBox(program.Id(), 3600s);
    return true;
  });
  const auto finished = Clock::now();
  if (!finish) {
    std::fprintf(stderr, "no finish message\n");
    return 1;
  }
  // WaitForMessageBox lets the box paint for 300 ms before it answers.
  const double scanSeconds = std::max(0.0, Milliseconds(finished - started) - 300.0) / 1000.0;
  const std::wstring files = TextOf(windows->Control(kestro::app::scan_page::kFilesValue));
  const std::wstring detections = TextOf(windows->Control(kestro::app::scan_page::kDetectedValue));
  std::printf("window scan: %.3f s, %ls files, %ls detections; longest message answer: %.1f ms over %ld probes "
              "(at %.1f s; %ld answers over 100 ms)\n",
              scanSeconds, files.c_str(), detections.c_str(), during.longestMs, during.probes, during.longestAtS,
              during.slow);
  Press(finish->dialog, IDOK);
  // The same probe with the program idle, for the machine's own delays.
  const auto idleUntil = Clock::now() + 10s;
  const Answers idle = probe([&] {
    std::this_thread::sleep_until(idleUntil);
    return true;
  });
  std::printf("window idle: longest message answer: %.1f ms over %ld probes (%ld answers over 100 ms)\n",
              idle.longestMs, idle.probes, idle.slow);
  return 0;
}
