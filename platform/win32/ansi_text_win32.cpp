#include "platform/ansi_text.hpp"

#include <windows.h>

#include "platform/win32/wide_text.hpp"

namespace kestro::platform {

std::string AnsiPathText(const std::filesystem::path& path) { return NarrowFrom(path.wstring(), CP_ACP); }

std::string AnsiFromUtf8(std::string_view utf8) { return NarrowFrom(WideFromUtf8(utf8), CP_ACP); }

std::filesystem::path PathFromAnsi(std::string_view text) { return std::filesystem::path(WideFrom(text, CP_ACP)); }

}  // namespace kestro::platform
