#pragma once
// Conversions between UTF-16 and a Windows code page (UTF-8, the ANSI code page),
// the one place the Windows code converts text. Text the code page cannot
// convert gives an empty result.

#include <windows.h>

#include <string>
#include <string_view>

namespace kestro::platform {

std::wstring WideFrom(std::string_view text, UINT codePage);
std::string NarrowFrom(std::wstring_view text, UINT codePage);

inline std::wstring WideFromUtf8(std::string_view utf8) { return WideFrom(utf8, CP_UTF8); }
inline std::string Utf8FromWide(std::wstring_view wide) { return NarrowFrom(wide, CP_UTF8); }

}  // namespace kestro::platform
