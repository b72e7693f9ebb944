#pragma once
// Windows: the program's background downloader. BeginDownload fetches on a
// worker thread (cache bypassed) and posts its events to a window, where the
// window procedure turns them into calls of UpdateFlow:
//
//   message base + 0  progress: call TakeProgress() (posted at most once until taken)
//   message base + 1  finished: call TakeFinished() (joins the worker); the outcome
//                     is an error (nothing arrived, or the fetch failed) or a
//                     completion, never both
//
// One download at a time. Destroying the object stops a running download and
// waits for its thread.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "update/download.hpp"

namespace kestro::update::win32 {

class WindowDownloader final : public BackgroundDownloader {
 public:
  WindowDownloader(HWND window, UINT messageBase);
  ~WindowDownloader() override;
  WindowDownloader(const WindowDownloader&) = delete;
  WindowDownloader& operator=(const WindowDownloader&) = delete;

  bool BeginDownload(const std::string& url, const std::filesystem::path& destination,
                     std::string& error) override;

  struct Progress {
    std::uint64_t received = 0;
    std::uint64_t total = 0;
    std::filesystem::path destination;
  };
  Progress TakeProgress();

  struct Finished {
    bool complete = false;  // false: the error event
    std::uint64_t total = 0;
    std::filesystem::path destination;
    std::string reason;  // for the error
  };
  // The outcome of the download that posted "finished"; nothing when none is finished.
  std::optional<Finished> TakeFinished();

  bool Busy() const { return running_.load(); }

 private:
  void Work(std::string url, std::filesystem::path destination);

  HWND window_;
  UINT messageBase_;
  std::thread worker_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> progressPosted_{false};
  std::atomic<std::uint64_t> received_{0};
  std::atomic<std::uint64_t> total_{0};
  std::mutex mutex_;
  std::filesystem::path destination_;
  std::optional<Finished> finished_;
};

}  // namespace kestro::update::win32
