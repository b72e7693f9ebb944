#include "app/win32/file_version.hpp"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace kestro::app {

std::wstring FileVersionText(const std::filesystem::path& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};

  struct Translation {
    WORD language, codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  std::vector<Translation> tried;
  if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) &&
      translations != nullptr) {
    tried.assign(translations, translations + length / sizeof(Translation));
  }
  tried.push_back({0x0409, 1200});
  tried.push_back({0x0409, 1252});
  for (const auto& t : tried) {
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", t.language, t.codePage);
    wchar_t* text = nullptr;
    UINT chars = 0;
    if (VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&text), &chars) && text != nullptr && chars > 0) {
      std::wstring value(text, wcsnlen(text, chars));
      while (!value.empty() && value.back() == L' ') value.pop_back();
      if (!value.empty()) return value;
    }
  }
  return {};
}

}  // namespace kestro::app
