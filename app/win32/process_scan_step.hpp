#pragma once
// The running-process scan the splash runs at 80.

#include <functional>
#include <string>

#include "app/app_context.hpp"

namespace kestro::app {

void RunStartupProcessScan(AppContext& ctx, HWND splash, const std::function<void(const std::wstring&)>& showPath);

}  // namespace kestro::app
