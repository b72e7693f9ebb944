#pragma once
// A small HTTP/1.1 file server on the loopback address for the updater's end-to-
// end tests: it serves one folder, answers 404 for anything else, closes every
// connection after its answer, and can be told to cut a file short (announce
// its whole length, send part of it, close). Runs on its own thread from
// construction until destruction; POSIX sockets or Winsock.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestro::test {

class HttpTestServer {
 public:
  explicit HttpTestServer(std::filesystem::path root);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  // False when the listening socket could not be set up.
  bool ok() const { return listener_ >= 0; }
  std::uint16_t port() const { return port_; }
  // "http://127.0.0.1:PORT/" + path
  std::string Url(const std::string& path = "") const;

  // Requests for `path` ("/files/DB_1x.avn") get the full Content-Length but
  // only `bytes` bytes of the body before the connection closes.
  void CutShort(const std::string& path, std::size_t bytes);
  // Paths requested so far, in order.
  std::vector<std::string> Requests() const;

 private:
  void Serve();
  void Answer(std::intptr_t connection);

  std::filesystem::path root_;
  std::intptr_t listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::map<std::string, std::size_t> cutShort_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace kestro::test
