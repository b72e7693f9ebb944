#include "platform/ansi_text.hpp"

namespace kestro::platform {

std::string AnsiFromPath(const std::filesystem::path& path) { return path.string(); }

std::filesystem::path PathFromAnsi(std::string_view text) { return std::filesystem::path(std::string(text)); }

}  // namespace kestro::platform
