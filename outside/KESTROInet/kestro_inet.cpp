// KESTROInet.dll: the connectivity probe Cek_Lin. The program is "connected"
// when the update server accepts a TCP connection within two seconds. The
// server is the base address built in, or the REG_SZ "UpdateServer" under
// HKEY_CURRENT_USER "Software\KESTRO" when that is set, so tests and
// administrators can point it elsewhere.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <string>

#include "outside/KESTROInet/server_address.hpp"

#ifndef KESTRO_UPDATE_SERVER
#define KESTRO_UPDATE_SERVER "http://update.kestro-antivirus.example/files/"
#endif

namespace {

constexpr DWORD kConnectMilliseconds = 2000;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string ConfiguredServer() {
  HKEY key = nullptr;
  std::string server = KESTRO_UPDATE_SERVER;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KESTRO", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return server;
  wchar_t buffer[1024] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);  // room kept for a terminating NUL
  if (RegQueryValueExW(key, L"UpdateServer", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) ==
          ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    const std::wstring text(buffer, wcsnlen(buffer, bytes / sizeof(wchar_t)));
    if (!text.empty()) server = Utf8(text);
  }
  RegCloseKey(key);
  return server;
}

// One non-blocking connection attempt to one address, bounded by `deadline`.
bool ConnectsBefore(const addrinfo& address, ULONGLONG deadline) {
  SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (s == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  constexpr long kNonBlockingIo = static_cast<long>(0x8004667EUL);  // FIONBIO, whose macro overflows a long
  ioctlsocket(s, kNonBlockingIo, &nonBlocking);
  bool connected = false;
  if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) {
    connected = true;
  } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG left = deadline > now ? deadline - now : 0;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval timeout{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    if (select(0, nullptr, &writable, &failed, &timeout) > 0 && FD_ISSET(s, &writable)) {
      int error = 0;
      int length = sizeof(error);
      connected = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 && error == 0;
    }
  }
  closesocket(s);
  return connected;
}

bool ServerReachable() {
  const auto server = kestro::inet::ParseServerAddress(ConfiguredServer());
  if (!server) return false;
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  bool reachable = false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(server->port);
  const ULONGLONG deadline = GetTickCount64() + kConnectMilliseconds;
  if (getaddrinfo(server->host.c_str(), port.c_str(), &hints, &found) == 0) {
    for (const addrinfo* a = found; a != nullptr && !reachable && GetTickCount64() < deadline; a = a->ai_next) {
      reachable = ConnectsBefore(*a, deadline);
    }
    freeaddrinfo(found);
  }
  WSACleanup();
  return reachable;
}

}  // namespace

// -1 (true) when the update server accepts a connection, 0 otherwise. The
// argument is not used; it is accepted for the callers that pass one.
extern "C" short WINAPI Cek_Lin(int* /*reserved*/) { return ServerReachable() ? -1 : 0; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
