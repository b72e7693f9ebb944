#include "platform/ansi_text.hpp"

namespace kestro::platform {

std::string AnsiPathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path PathFromAnsi(std::string_view text) { return std::filesystem::path(std::string(text)); }

std::string AnsiFromUtf8(std::string_view utf8) { return std::string(utf8); }

}  // namespace kestro::platform
