#include "app/scan_page/win32/taskbar_progress.hpp"

namespace kestro::app::scan_page {

TaskbarProgress::~TaskbarProgress() {
  if (list_ != nullptr) list_->Release();
}

void TaskbarProgress::Show(HWND window, bool active, int percent, bool paused) {
  if (window == nullptr) return;
  if (!triedCreate_) {
    triedCreate_ = true;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list_)))) {
      list_ = nullptr;
    } else if (FAILED(list_->HrInit())) {
      list_->Release();
      list_ = nullptr;
    }
  }
  if (list_ == nullptr) return;
  if (!active) {
    if (shown_) list_->SetProgressState(window, TBPF_NOPROGRESS);
    shown_ = false;
    percent_ = -1;
    return;
  }
  if (!shown_ || paused != paused_) list_->SetProgressState(window, paused ? TBPF_PAUSED : TBPF_NORMAL);
  if (!shown_ || percent != percent_) list_->SetProgressValue(window, static_cast<ULONGLONG>(percent), 100);
  shown_ = true;
  percent_ = percent;
  paused_ = paused;
}

}  // namespace kestro::app::scan_page
