// Windows implementation of raw file access: CreateFileW (with the ANSI retry),
// GetFileSizeEx, ReadFile and WriteFile at explicit offsets.
#include "platform/file.hpp"

#include <windows.h>

#include <algorithm>
#include <string>

namespace kestro::platform {
namespace {

HANDLE ToHandle(RawFileHandle handle) { return LongToHandle(handle); }

bool IsValid(HANDLE h) {
  // A handle value that is zero or negative as a 32-bit number is no handle.
  return HandleToLong(h) > 0;
}

std::string ToAnsi(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), ansi.data(), needed,
                      nullptr, nullptr);
  return ansi;
}

OVERLAPPED AtOffset(std::uint64_t offset) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return ov;
}

}  // namespace

RawFileHandle OpenRawFile(const std::filesystem::path& path, int createOption, int shareAccess) {
  DWORD access = 0;
  DWORD disposition = 0;
  switch (createOption) {
    case 1: access = GENERIC_READ; disposition = OPEN_EXISTING; break;
    case 2: access = GENERIC_WRITE; disposition = OPEN_ALWAYS; break;
    case 3: access = GENERIC_READ | GENERIC_WRITE; disposition = OPEN_ALWAYS; break;
    case 4: access = GENERIC_READ | GENERIC_WRITE; disposition = OPEN_EXISTING; break;
    default: return 0;
  }
  access |= READ_CONTROL | SYNCHRONIZE;
  DWORD share = 0;
  switch (shareAccess) {
    case 1: share = FILE_SHARE_DELETE; break;
    case 2: share = FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
    case 3: share = FILE_SHARE_READ | FILE_SHARE_DELETE; break;
    case 4: share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
    default: return 0;
  }
  HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (!IsValid(h)) {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
    const std::string ansi = ToAnsi(path.wstring());
    if (ansi.empty()) return 0;
    h = CreateFileA(ansi.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (!IsValid(h)) {
      if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
      return 0;
    }
  }
  // Only files on a disk: a device name (CON, NUL, COM1 ...) or a pipe is not
  // a file to read, and reading one may never end.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return 0;
  }
  return static_cast<RawFileHandle>(HandleToLong(h));
}

RawFileHandle OpenRawFileForReading(const std::filesystem::path& path, std::int64_t& size) {
  const RawFileHandle handle = OpenRawFile(path, 1, 4);
  size = RawFileSize(handle);
  return handle;
}

std::int64_t RawFileSize(RawFileHandle handle) {
  if (handle <= 0) return -1;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(ToHandle(handle), &size)) return -1;
  return static_cast<std::int64_t>(size.QuadPart);
}

std::int64_t RawFileReadAt(RawFileHandle handle, std::uint64_t offset, std::uint8_t* buffer,
                           std::size_t length) {
  if (handle <= 0) return -1;
  std::size_t done = 0;
  while (done < length) {
    const std::size_t chunk = std::min<std::size_t>(length - done, 1u << 30);
    OVERLAPPED ov = AtOffset(offset + done);
    DWORD got = 0;
    if (!ReadFile(ToHandle(handle), buffer + done, static_cast<DWORD>(chunk), &got, &ov)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t RawFileWriteAt(RawFileHandle handle, std::uint64_t offset, const std::uint8_t* buffer,
                            std::size_t length) {
  if (handle <= 0) return -1;
  std::size_t done = 0;
  while (done < length) {
    const std::size_t chunk = std::min<std::size_t>(length - done, 1u << 30);
    OVERLAPPED ov = AtOffset(offset + done);
    DWORD put = 0;
    if (!WriteFile(ToHandle(handle), buffer + done, static_cast<DWORD>(chunk), &put, &ov)) return -1;
    if (put == 0) break;
    done += put;
  }
  return static_cast<std::int64_t>(done);
}

bool CloseRawFile(RawFileHandle handle) {
  if (handle <= 0) return false;
  return CloseHandle(ToHandle(handle)) != 0;
}

}  // namespace kestro::platform
