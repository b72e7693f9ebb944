#include "cli/common/named_file.hpp"

namespace kestro::cli {

std::string NotARegularFile(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  switch (status.type()) {
    case fs::file_type::regular: return {};
    case fs::file_type::not_found: return "no such file";
    case fs::file_type::directory: return "a folder, not a file";
    case fs::file_type::fifo: return "a named pipe, not a regular file";
    case fs::file_type::block:
    case fs::file_type::character: return "a device, not a regular file";
    case fs::file_type::socket: return "a socket, not a regular file";
    default: break;
  }
  return ec ? "cannot be examined (" + ec.message() + ")" : "not a regular file";
}

std::string DisplayText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      shown.push_back('?');
    } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      shown.push_back('?');  // a C1 control character (U+0080..U+009F)
      ++i;
    } else {
      shown.push_back(text[i]);
    }
  }
  return shown;
}

}  // namespace kestro::cli
