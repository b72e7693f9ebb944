#include "outside/RARExtract/native_text.hpp"

#include <archive.h>
#include <archive_entry.h>

#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestro::rarextract {

#ifdef _WIN32

namespace {
std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string AnsiFromWide(const wchar_t* wide) {
  const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), length, nullptr, nullptr);
  text.resize(static_cast<std::size_t>(length - 1));
  return text;
}
}  // namespace

std::filesystem::path PathFromAnsi(const std::string& text) { return std::filesystem::path(WideFromAnsi(text)); }

int OpenReaderOnFile(archive* reader, const std::string& path) {
  const std::wstring wide = WideFromAnsi(path);
  return archive_read_open_filename_w(reader, wide.c_str(), 64 * 1024);
}

std::string EntryNameAnsi(archive_entry* entry) {
  std::string name;
  if (const wchar_t* wide = archive_entry_pathname_w(entry)) {
    name = AnsiFromWide(wide);
  } else if (const char* narrow = archive_entry_pathname(entry)) {
    name = narrow;
  }
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  return name;
}

char NameSeparator() { return '\\'; }

#else

std::filesystem::path PathFromAnsi(const std::string& text) { return std::filesystem::path(text); }

int OpenReaderOnFile(archive* reader, const std::string& path) {
  return archive_read_open_filename(reader, path.c_str(), 64 * 1024);
}

std::string EntryNameAnsi(archive_entry* entry) {
  if (const char* utf8 = archive_entry_pathname_utf8(entry)) return utf8;
  if (const char* narrow = archive_entry_pathname(entry)) return narrow;
  return {};
}

char NameSeparator() { return '/'; }

#endif

unsigned DosDateTime(long long posixTime) {
  const auto seconds = static_cast<std::time_t>(posixTime);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &seconds) != 0) return 0;
#else
  if (localtime_r(&seconds, &local) == nullptr) return 0;
#endif
  const int year = local.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0;
  const auto date = static_cast<unsigned>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  const auto time = static_cast<unsigned>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  return (date << 16) | time;
}

}  // namespace kestro::rarextract
