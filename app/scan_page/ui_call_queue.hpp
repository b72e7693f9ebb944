#pragma once
// Calls that a worker thread needs the window thread to make (a modal message,
// a question) and waits for. The worker queues the call and wakes the window
// (the window posts itself a message); the window runs the queued calls; the
// worker gets the answer. Once the window is going away, Cancel() answers every
// waiting and every later call with "not run", so a worker never waits on a
// window that no longer exists.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace kestro::app::scan_page {

class UiCallQueue {
 public:
  // `wake` is called on the worker after a call was queued; the window answers it
  // by calling RunPending() on its own thread.
  explicit UiCallQueue(std::function<void()> wake);

  // Worker side: runs `call` on the window thread and waits for it. False when the
  // queue was cancelled before the call ran.
  bool Call(std::function<void()> call);

  // Window side: runs every queued call, in order.
  void RunPending();

  // Window side: no call runs any more; waiting workers return false.
  void Cancel();

  bool Cancelled() const;

 private:
  struct Entry {
    std::function<void()> call;
    bool done = false;
    bool ran = false;
  };

  std::function<void()> wake_;
  mutable std::mutex mutex_;
  std::condition_variable finished_;
  std::deque<std::shared_ptr<Entry>> queue_;
  bool cancelled_ = false;
};

}  // namespace kestro::app::scan_page
