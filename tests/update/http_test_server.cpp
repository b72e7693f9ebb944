#include "tests/update/http_test_server.hpp"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketLength = int;
using IoLength = int;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
using SocketLength = socklen_t;
using IoLength = std::size_t;
#endif

namespace kestro::test {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) {
  closesocket(s);
}
struct WinsockUser {
  WinsockUser() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockUser() { WSACleanup(); }
};
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s) {
  ::close(s);
}
#endif

Socket AsSocket(std::intptr_t value) {
  return static_cast<Socket>(value);
}

bool SendAll(Socket s, const char* data, std::size_t size) {
  while (size > 0) {
    const auto chunk = static_cast<IoLength>(std::min<std::size_t>(size, 1 << 16));
    const auto sent = ::send(s, data, chunk, 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

void SetReceiveTimeout(Socket s) {
#ifdef _WIN32
  const DWORD milliseconds = 5000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds), sizeof milliseconds);
#else
  timeval tv{};
  tv.tv_sec = 5;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
#endif
}

// The path of "GET /path HTTP/1.1", without a query; empty for anything else.
std::string RequestPath(const std::string& head) {
  if (!head.starts_with("GET ")) return {};
  const std::size_t end = head.find(' ', 4);
  if (end == std::string::npos) return {};
  std::string path = head.substr(4, end - 4);
  const std::size_t query = path.find('?');
  if (query != std::string::npos) path.resize(query);
  return path;
}

}  // namespace

HttpTestServer::HttpTestServer(std::filesystem::path root) : root_(std::move(root)) {
#ifdef _WIN32
  static WinsockUser winsock;
#endif
  const Socket s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s == kNoSocket) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  SocketLength length = sizeof address;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, 16) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseSocket(s);
    return;
  }
  port_ = ntohs(address.sin_port);
  listener_ = static_cast<std::intptr_t>(s);
  thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
  if (listener_ < 0) return;
  stopping_ = true;
  // Wake the accept call with a connection of our own, then close.
  const Socket wake = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port_);
  ::connect(wake, reinterpret_cast<sockaddr*>(&address), sizeof address);
  thread_.join();
  CloseSocket(wake);
  CloseSocket(AsSocket(listener_));
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
}

void HttpTestServer::CutShort(const std::string& path, std::size_t bytes) {
  std::lock_guard lock(mutex_);
  cutShort_[path] = bytes;
}

std::vector<std::string> HttpTestServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void HttpTestServer::Serve() {
  while (!stopping_) {
    const Socket connection = ::accept(AsSocket(listener_), nullptr, nullptr);
    if (connection == kNoSocket) continue;
    if (!stopping_) Answer(static_cast<std::intptr_t>(connection));
    CloseSocket(connection);
  }
}

void HttpTestServer::Answer(std::intptr_t value) {
  const Socket connection = AsSocket(value);
  SetReceiveTimeout(connection);
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    const auto got = ::recv(connection, buffer, static_cast<IoLength>(sizeof buffer), 0);
    if (got <= 0) return;
    head.append(buffer, static_cast<std::size_t>(got));
  }
  const std::string path = RequestPath(head);
  std::size_t limit = std::string::npos;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(path);
    const auto cut = cutShort_.find(path);
    if (cut != cutShort_.end()) limit = cut->second;
  }

  std::string body;
  bool found = false;
  if (path.starts_with('/') && path.find("..") == std::string::npos) {
    std::ifstream in(root_ / path.substr(1), std::ios::binary);
    std::error_code ec;
    if (in && std::filesystem::is_regular_file(root_ / path.substr(1), ec)) {
      body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      found = true;
    }
  }
  std::string answer;
  if (!found) {
    body = "not found\n";
    answer = "HTTP/1.1 404 Not Found\r\n";
  } else {
    answer = "HTTP/1.1 200 OK\r\n";
  }
  answer += "Content-Type: application/octet-stream\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
  if (!SendAll(connection, answer.data(), answer.size())) return;
  SendAll(connection, body.data(), std::min(body.size(), limit));
#ifdef _WIN32
  shutdown(connection, SD_SEND);
#else
  shutdown(connection, SHUT_WR);
#endif
  // Let the client read everything before the socket closes.
  while (::recv(connection, buffer, static_cast<IoLength>(sizeof buffer), 0) > 0) {
  }
}

}  // namespace kestro::test
