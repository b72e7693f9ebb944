#include "remedy/file_bytes.hpp"

#include <fstream>
#include <limits>

namespace kestro::remedy {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || size > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  in.seekg(0, std::ios::beg);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
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
