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

  std::atomic<bool> probing{true};
  std::atomic<long long> longestMicros{0};
  std::atomic<long> probes{0};
  std::thread probe([&] {
    while (probing) {
      const auto sent = Clock::now();
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(windows->main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
      const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - sent).count();
      long long seen = longestMicros.load();
      while (micros > seen && !longestMicros.compare_exchange_weak(seen, micros)) {
      }
      ++probes;
      std::this_thread::sleep_for(5ms);
    }
  });
  const auto finish = WaitForMessageBox(program.Id(), 3600s);
  const auto finished = Clock::now();
  probing = false;
  probe.join();
  if (!finish) {
    std::fprintf(stderr, "no finish message\n");
    return 1;
  }
  // WaitForMessageBox lets the box paint for 300 ms before it answers.
  const double scanSeconds = std::max(0.0, Milliseconds(finished - started) - 300.0) / 1000.0;
  const std::wstring files = TextOf(windows->Control(kestro::app::scan_page::kFilesValue));
  const std::wstring detections = TextOf(windows->Control(kestro::app::scan_page::kDetectedValue));
  std::printf("window scan: %.3f s, %ls files, %ls detections; longest message answer: %.1f ms over %ld probes\n",
              scanSeconds, files.c_str(), detections.c_str(), static_cast<double>(longestMicros.load()) / 1000.0,
              probes.load());
  Press(finish->dialog, IDOK);
  return 0;
}
