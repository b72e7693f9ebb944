#include "app/win32/process_scan_step.hpp"

#include "app/scan_page/scan_page.hpp"

namespace kestro::app {

void RunStartupProcessScan(AppContext& ctx, HWND splash, const std::function<void(const std::wstring&)>& showPath) {
  if (ctx.ScanPage != nullptr) RunProcessScan(ctx.ScanPage, splash, showPath);
}

}  // namespace kestro::app
