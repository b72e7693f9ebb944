#include "update/update_files.hpp"

#include <fstream>
#include <system_error>

#include "platform/file_ops.hpp"

namespace kestro::update {
namespace {

namespace fs = std::filesystem;

class NativeFiles final : public UpdateFiles {
 public:
  std::optional<std::vector<std::uint8_t>> ReadAll(const fs::path& path, std::size_t maxBytes) override {
    const auto size = FileSize(path);
    if (!size || *size > maxBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size()) return std::nullopt;
    // The file may have grown since its size was taken: more bytes is a changed file.
    if (in.peek() != std::char_traits<char>::eof()) return std::nullopt;
    return bytes;
  }

  std::optional<std::uint64_t> FileSize(const fs::path& path) override {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    return static_cast<std::uint64_t>(size);
  }

  bool Remove(const fs::path& path) override {
    std::error_code ec;
    fs::remove(path, ec);
    return !fs::exists(fs::symlink_status(path, ec));
  }

  bool Copy(const fs::path& from, const fs::path& to) override {
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
  }

  bool Replace(const fs::path& from, const fs::path& to) override {
    return platform::NativeFileOps().RenameFile(from, to, true) == platform::FileError::None;
  }
};

}  // namespace

UpdateFiles& NativeUpdateFiles() {
  static NativeFiles files;
  return files;
}

}  // namespace kestro::update
