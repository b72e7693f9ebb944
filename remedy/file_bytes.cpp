#include "remedy/file_bytes.hpp"

#include <fstream>
#include <limits>
#include <string>

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

StagedFile::StagedFile(const std::filesystem::path& destination) {
  // A name beside the destination that no file has yet: never overwrite one.
  const std::filesystem::path folder = destination.parent_path();
  const std::filesystem::path stem = destination.filename();
  for (int n = 0; n < 1000 && !ok_; ++n) {
    std::filesystem::path candidate = stem;
    candidate += ".kestro-part" + (n == 0 ? std::string() : std::to_string(n));
    candidate = folder / candidate;
    std::error_code ec;
    if (std::filesystem::exists(candidate, ec) || ec) continue;
    out_.open(candidate, std::ios::binary | std::ios::trunc);
    if (!out_) return;
    temporary_ = candidate;
    ok_ = open_ = true;
  }
}

StagedFile::~StagedFile() {
  if (temporary_.empty()) return;
  if (open_) out_.close();
  std::error_code ec;
  std::filesystem::remove(temporary_, ec);
}

void StagedFile::Append(std::span<const std::uint8_t> piece) {
  if (!ok_ || piece.empty()) return;
  out_.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
  if (!out_) ok_ = false;
}

bool StagedFile::PlaceAt(const std::filesystem::path& destination) {
  if (!Finish()) return false;
  std::error_code ec;
  std::filesystem::rename(temporary_, destination, ec);
  if (ec) return false;
  temporary_.clear();
  return true;
}

bool StagedFile::Finish() {
  if (open_) {
    out_.close();
    open_ = false;
    if (!out_) ok_ = false;
  }
  if (!ok_ && !temporary_.empty()) {
    std::error_code ec;
    std::filesystem::remove(temporary_, ec);
    temporary_.clear();
  }
  return ok_;
}

}  // namespace kestro::remedy
