#include "update/win32/background_downloader.hpp"

#include "update/win32/url_moniker_downloader.hpp"

namespace kestro::update::win32 {

WindowDownloader::WindowDownloader(HWND window, UINT messageBase)
    : window_(window), messageBase_(messageBase) {}

WindowDownloader::~WindowDownloader() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

bool WindowDownloader::BeginDownload(const std::string& url, const std::filesystem::path& destination,
                                     std::string& error) {
  if (running_) {
    error = "a program download is already under way";
    return false;
  }
  // The previous worker has ended (it clears running_ last); collect its thread.
  if (worker_.joinable()) worker_.join();
  {
    std::lock_guard lock(mutex_);
    destination_ = destination;
    finished_.reset();
  }
  received_ = 0;
  total_ = 0;
  progressPosted_ = false;
  stop_ = false;
  running_ = true;
  try {
    worker_ = std::thread([this, url, destination] { Work(url, destination); });
  } catch (const std::system_error&) {
    running_ = false;
    error = "the download could not be started";
    return false;
  }
  return true;
}

void WindowDownloader::Work(std::string url, std::filesystem::path destination) {
  const auto progress = [this](std::uint64_t received, std::uint64_t total) {
    received_ = received;
    total_ = total;
    // Notifications with no known total are not reported; one message at a time.
    if (total != 0 && !progressPosted_.exchange(true)) PostMessageW(window_, messageBase_, 0, 0);
  };
  const DownloadResult result = FetchWithUrlMoniker(url, destination, progress, &stop_);

  Finished finished;
  finished.destination = destination;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const bool exists = GetFileAttributesExW(destination.c_str(), GetFileExInfoStandard, &data) != 0;
  const std::uint64_t size = exists ? (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow : 0;
  if (!result.ok) {
    finished.reason = result.error;
  } else if (size == 0) {
    finished.reason = "the server sent no data";
  } else {
    finished.complete = true;
    finished.total = total_ != 0 ? total_.load() : size;
  }
  {
    std::lock_guard lock(mutex_);
    finished_ = std::move(finished);
  }
  running_ = false;
  if (!stop_) PostMessageW(window_, messageBase_ + 1, 0, 0);
}

WindowDownloader::Progress WindowDownloader::TakeProgress() {
  progressPosted_ = false;
  Progress progress;
  progress.received = received_;
  progress.total = total_;
  std::lock_guard lock(mutex_);
  progress.destination = destination_;
  return progress;
}

std::optional<WindowDownloader::Finished> WindowDownloader::TakeFinished() {
  std::optional<Finished> finished;
  {
    std::lock_guard lock(mutex_);
    finished.swap(finished_);
  }
  if (finished && worker_.joinable()) worker_.join();
  return finished;
}

}  // namespace kestro::update::win32
