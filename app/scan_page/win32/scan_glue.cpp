#include "app/scan_page/win32/scan_glue.hpp"

#include <mmsystem.h>

#include "app/scan_page/win32/wide_text.hpp"
#include "platform/file_ops.hpp"

namespace kestro::app::scan_page {

namespace {
constexpr wchar_t kKestroKey[] = L"Software\\KESTRO";
}

void RegistryMarkers::SetMarker(std::string_view name, std::uint32_t value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKestroKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  const DWORD data = value;
  RegSetValueExW(key, Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(key);
}

void RegistryMarkers::DeleteMarker(std::string_view name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKestroKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, Wide(name).c_str());
  RegCloseKey(key);
}

void PlayProgramSound(const std::filesystem::path& programFolder, const wchar_t* relative) {
  const std::wstring file = (programFolder / relative).wstring();
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  sndPlaySoundW(file.c_str(), SND_ASYNC | SND_NODEFAULT);
}

void DetectedSound::PlayDetected() {
  constexpr ULONGLONG kChimeMs = 450;  // a little longer than Sound\detected.wav
  const ULONGLONG now = GetTickCount64();
  ULONGLONG started = startedAt_.load();
  if (started != 0 && now - started < kChimeMs) return;
  if (!startedAt_.compare_exchange_strong(started, now)) return;  // another hit starts it
  PlayProgramSound(programFolder_, L"Sound\\detected.wav");
}

std::string LocalDateTime::NowText() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t date[96] = {};
  wchar_t time[96] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 96);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 96);
  return Utf8(std::wstring(date) + L" " + time);
}

std::filesystem::path PlatformLongPaths::LongForm(const std::filesystem::path& path) const {
  return platform::LongPathForm(path);
}

UINT MessageBoxIcon(platform::MessageIcon icon) {
  switch (icon) {
    case platform::MessageIcon::Information: return MB_ICONINFORMATION;
    case platform::MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case platform::MessageIcon::Critical: return MB_ICONERROR;
    case platform::MessageIcon::None: break;
  }
  return 0;
}

UINT MessageBoxIcon(scan::MessageIcon icon) {
  switch (icon) {
    case scan::MessageIcon::Information: return MB_ICONINFORMATION;
    case scan::MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case scan::MessageIcon::Error: return MB_ICONERROR;
  }
  return 0;
}

void WindowThreadMessages::OnWindowThread(const std::function<void()>& call) {
  if (GetCurrentThreadId() == windowThread_) {
    call();
  } else {
    ui_.Call(call);
  }
}

void WindowThreadMessages::ShowMessage(const std::string& caption, const std::string& text,
                                       platform::MessageIcon icon) {
  OnWindowThread([&] { dialogs_.Message(owner_, Wide(caption), Wide(text), MessageBoxIcon(icon)); });
}

bool WindowThreadMessages::AskYesNo(const std::string& caption, const std::string& text, platform::MessageIcon icon) {
  bool yes = false;
  OnWindowThread([&] { yes = dialogs_.AskYesNo(owner_, Wide(caption), Wide(text), MessageBoxIcon(icon)); });
  return yes;
}

}  // namespace kestro::app::scan_page
