#pragma once
// UTF-8 texts of the engine and the models to the window's UTF-16 and back.

#include <string>
#include <string_view>

namespace kestro::app::scan_page {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace kestro::app::scan_page
