#include "remedy/file_bytes.hpp"

#include "platform/file.hpp"

#include <fstream>
#include <limits>

namespace kestro::remedy {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
  // Through the raw file access, which opens regular files only.
  const platform::RawFileHandle handle = platform::OpenRawFile(path, 1, 4);
  if (handle == 0) return std::nullopt;
  const std::int64_t size = platform::RawFileSize(handle);
  std::optional<std::vector<std::uint8_t>> bytes;
  if (size >= 0 && size <= std::numeric_limits<std::int32_t>::max()) {
    bytes.emplace(static_cast<std::size_t>(size));
    if (platform::RawFileReadAt(handle, 0, bytes->data(), bytes->size()) != size) bytes.reset();
  }
  platform::CloseRawFile(handle);
  return bytes;
}

bool WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  bool ok;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    ok = static_cast<bool>(out);
  }
  if (!ok) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
  return ok;
}

}  // namespace kestro::remedy
