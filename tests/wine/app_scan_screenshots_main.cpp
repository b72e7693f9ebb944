// Photographs the scan page during and after a scan of the demo tree, and the
// quarantine page, from the real program (scripts/screenshot-scan-page.sh turns
// the pictures into PNG files):
//   kestro_app_scan_screenshots.exe PROGRAM_FOLDER WORK_FOLDER OUTPUT_FOLDER
#include <windows.h>

#include <cstdio>
#include <thread>

#include "app/scan_page/win32/page_factory.hpp"
#include "tests/support/demo_tree.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/wine/app_scan_driver.hpp"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace kestro::test::app_scan;
namespace page = kestro::app::scan_page;

void Settle() { std::this_thread::sleep_for(700ms); }

RECT WindowArea(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool Save(const fs::path& folder, const char* name, HWND mainWindow) {
  const bool ok = SaveScreen(folder / (std::string(name) + ".bmp"), WindowArea(mainWindow));
  std::printf("%s %s\n", ok ? "saved" : "could not save", name);
  return ok;
}

void ClickAt(HWND window, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(window, WM_MOUSEMOVE, 0, at);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void Quarantine(HWND list, int row, HWND scanPage) {
  SelectRow(list, row);
  SendMessageW(scanPage, WM_COMMAND, page::kMenuQuarantine, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: kestro_app_scan_screenshots PROGRAM_FOLDER WORK_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  const fs::path program = argv[1];
  const fs::path work = argv[2];
  const fs::path out = argv[3];
  fs::create_directories(out);
  const fs::path tree = work / "demo";
  fs::remove_all(tree);
  kestro::test::BuildDemoTree(tree);
  // Enough harmless files that the scan can be photographed while it runs.
  fs::create_directories(tree / "documents");
  for (int i = 0; i < 3000; ++i) {
    kestro::test::WriteFile(tree / "documents" / ("page" + std::to_string(i) + ".htm"), "<html><body>hello</body></html>");
  }

  // The quarantine of this build tree's Wine prefix starts empty, so the page
  // shows the two files quarantined below.
  wchar_t windowsFolder[MAX_PATH] = {};
  GetWindowsDirectoryW(windowsFolder, MAX_PATH);
  const fs::path quarantine = std::wstring(windowsFolder).substr(0, 3) + L"[ KESTRO ]";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(quarantine, ec)) {
    if (entry.path().extension() == ".vir") fs::remove(entry.path(), ec);
  }

  RunningProgram running(program, tree.wstring());
  const auto windows = WaitForProgramWindows(running.Id(), 90s);
  if (!windows) {
    std::fprintf(stderr, "the program did not open\n");
    return 1;
  }
  HWND list = windows->Control(page::kDetectionList);
  int status = 0;
  // During: paused once a few rows are in, so the picture shows a scan under way.
  if (WaitUntil([&] { return RowCount(list) >= 2; }, 120s)) {
    PostMessageW(windows->Control(page::kPause), BM_CLICK, 0, 0);
    Settle();
    if (!Save(out, "scan-page-during", windows->main)) status = 1;
    PostMessageW(windows->Control(page::kPause), BM_CLICK, 0, 0);
  } else {
    std::fprintf(stderr, "no rows appeared\n");
    status = 1;
  }
  const auto finish = WaitForMessageBox(running.Id(), 180s);
  if (!finish) {
    std::fprintf(stderr, "no finish message\n");
    return 1;
  }
  if (!Save(out, "scan-page-finished", windows->main)) status = 1;
  Press(finish->dialog, IDOK);
  Settle();
  if (!Save(out, "scan-page-after", windows->main)) status = 1;

  // The quarantine page, with two of the detections in it.
  Quarantine(list, 0, windows->scanPage);
  Quarantine(list, 1, windows->scanPage);
  Settle();
  // Navigation entry 3 (the tools page), then its fourth tab.
  ClickAt(windows->main, 90, 56 + 16 + 3 * 44 + 22);
  Settle();
  // The tools page draws its own tab strip: click along its row until the
  // quarantine panel shows.
  HWND tools = GetParent(windows->quarantinePanel);
  RECT client{};
  GetClientRect(tools, &client);
  for (int x = client.right - 16; x > 0 && !IsWindowVisible(windows->quarantinePanel); x -= 24) {
    ClickAt(tools, x, 30);
    std::this_thread::sleep_for(150ms);
  }
  Settle();
  if (!Save(out, "quarantine-page", windows->main)) status = 1;
  return status;
}
