#include "app/scan_page/win32/wide_text.hpp"

#include "platform/win32/wide_text.hpp"

namespace kestro::app::scan_page {

std::wstring Wide(std::string_view utf8) { return platform::WideFromUtf8(utf8); }

std::string Utf8(std::wstring_view wide) { return platform::Utf8FromWide(wide); }

}  // namespace kestro::app::scan_page
