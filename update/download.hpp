#pragma once
// Downloads from the update server: the synchronous fetch of one address into a
// file, the background fetch of the program update, and the connectivity probe.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace kestro::update {

// Bytes received so far and the total the server announced (0 when unknown).
using DownloadProgress = std::function<void(std::uint64_t received, std::uint64_t total)>;

struct DownloadResult {
  bool ok = false;
  std::string error;  // why it failed, for the user ("the server answered 404 Not Found")
};

class UrlDownloader {
 public:
  virtual ~UrlDownloader() = default;
  // Fetches `url` into `destination` (created or replaced), bypassing any cache,
  // and waits until it is done. A transfer that ends before the length the
  // server announced is a failure. What a failed fetch leaves behind is removed
  // by the caller.
  virtual DownloadResult Fetch(const std::string& url, const std::filesystem::path& destination,
                               const DownloadProgress& progress) = 0;
};

// Starts fetches that go on after the call returns; their progress, error and
// completion reach the update flow later as events (UpdateFlow::OnDownload...).
class BackgroundDownloader {
 public:
  virtual ~BackgroundDownloader() = default;
  // Starts fetching `url` into `destination`; false (and `error` set) when the
  // download could not be started.
  virtual bool BeginDownload(const std::string& url, const std::filesystem::path& destination,
                             std::string& error) = 0;
};

class ConnectivityProbe {
 public:
  virtual ~ConnectivityProbe() = default;
  // True when an Internet connection is available.
  virtual bool IsConnected() = 0;
};

}  // namespace kestro::update
