#include "app/scan_page/ui_call_queue.hpp"

namespace kestro::app::scan_page {

UiCallQueue::UiCallQueue(std::function<void()> wake) : wake_(std::move(wake)) {}

bool UiCallQueue::Call(std::function<void()> call) {
  auto entry = std::make_shared<Entry>();
  entry->call = std::move(call);
  {
    std::lock_guard lock(mutex_);
    if (cancelled_) return false;
    queue_.push_back(entry);
  }
  if (wake_) wake_();
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&] { return entry->done; });
  return entry->ran;
}

void UiCallQueue::RunPending() {
  for (;;) {
    std::shared_ptr<Entry> entry;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty() || cancelled_) return;
      entry = queue_.front();
      queue_.pop_front();
    }
    // A modal message box pumps messages, so RunPending can be entered again
    // while this call runs; each entry is taken off the queue before it runs.
    bool ran = false;
    try {
      entry->call();
      ran = true;
    } catch (...) {
      // An exception never crosses into the worker; the call counts as not run.
    }
    {
      std::lock_guard lock(mutex_);
      entry->ran = ran;
      entry->done = true;
    }
    finished_.notify_all();
  }
}

void UiCallQueue::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    for (auto& entry : queue_) entry->done = true;
    queue_.clear();
  }
  finished_.notify_all();
}

bool UiCallQueue::Cancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

}  // namespace kestro::app::scan_page
