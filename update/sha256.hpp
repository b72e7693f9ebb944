#pragma once
// SHA-256 (FIPS 180-4): the digest the update index may carry for each file it
// names, so a download can be checked for being exactly the published file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestro::update {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Add(std::span<const std::uint8_t> bytes);
  void Add(std::string_view bytes);
  // The digest of everything added; the object starts over afterwards.
  Sha256Digest Finish();

 private:
  void Compress(const std::uint8_t* block);
  void Reset();

  std::array<std::uint32_t, 8> state_{};
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingCount_ = 0;
  std::uint64_t totalBytes_ = 0;
};

Sha256Digest Sha256Of(std::span<const std::uint8_t> bytes);
Sha256Digest Sha256Of(std::string_view bytes);

// The digest of a whole file, read in pieces; nothing when it cannot be read.
std::optional<Sha256Digest> Sha256OfFile(const std::filesystem::path& path);

// 64 lower-case hexadecimal digits.
std::string DigestText(const Sha256Digest& digest);

// The digest from exactly 64 hexadecimal digits (either letter case); nothing otherwise.
std::optional<Sha256Digest> ParseDigestText(std::string_view text);

}  // namespace kestro::update
