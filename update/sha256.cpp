#include "update/sha256.hpp"

#include <algorithm>
#include <fstream>
#include <vector>

namespace kestro::update {
namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::uint32_t RotateRight(std::uint32_t value, int bits) {
  return (value >> bits) | (value << (32 - bits));
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Sha256::Sha256() {
  Reset();
}

void Sha256::Reset() {
  state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  pendingCount_ = 0;
  totalBytes_ = 0;
}

void Sha256::Compress(const std::uint8_t* block) {
  std::array<std::uint32_t, 64> w{};
  for (std::size_t i = 0; i < 16; ++i) {
    w[i] = (std::uint32_t{block[4 * i]} << 24) | (std::uint32_t{block[4 * i + 1]} << 16) |
           (std::uint32_t{block[4 * i + 2]} << 8) | std::uint32_t{block[4 * i + 3]};
  }
  for (std::size_t i = 16; i < 64; ++i) {
    const std::uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
  for (std::size_t i = 0; i < 64; ++i) {
    const std::uint32_t s1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
    const std::uint32_t choice = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + s1 + choice + kRoundConstants[i] + w[i];
    const std::uint32_t s0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
    const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = s0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  state_[5] += f;
  state_[6] += g;
  state_[7] += h;
}

void Sha256::Add(std::span<const std::uint8_t> bytes) {
  totalBytes_ += bytes.size();
  std::size_t at = 0;
  if (pendingCount_ > 0) {
    const std::size_t take = std::min(bytes.size(), pending_.size() - pendingCount_);
    std::copy_n(bytes.begin(), take, pending_.begin() + static_cast<std::ptrdiff_t>(pendingCount_));
    pendingCount_ += take;
    at = take;
    if (pendingCount_ < pending_.size()) return;
    Compress(pending_.data());
    pendingCount_ = 0;
  }
  for (; bytes.size() - at >= 64; at += 64) Compress(bytes.data() + at);
  std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), pending_.begin());
  pendingCount_ = bytes.size() - at;
}

void Sha256::Add(std::string_view bytes) {
  Add(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

Sha256Digest Sha256::Finish() {
  const std::uint64_t bitLength = totalBytes_ * 8;
  std::array<std::uint8_t, 72> tail{};
  tail[0] = 0x80;
  // Pad to 56 bytes modulo 64, then the length as a big-endian 64-bit number.
  const std::size_t padding = (pendingCount_ < 56 ? 56 : 120) - pendingCount_;
  for (int i = 0; i < 8; ++i)
    tail[padding + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bitLength >> (56 - 8 * i));
  Add(std::span<const std::uint8_t>(tail.data(), padding + 8));
  Sha256Digest digest{};
  for (std::size_t i = 0; i < 8; ++i) {
    for (std::size_t j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
  }
  Reset();
  return digest;
}

Sha256Digest Sha256Of(std::span<const std::uint8_t> bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.Finish();
}

Sha256Digest Sha256Of(std::string_view bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.Finish();
}

std::optional<Sha256Digest> Sha256OfFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  Sha256 hash;
  std::vector<char> buffer(1 << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize got = in.gcount();
    if (got > 0) hash.Add(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
  }
  if (in.bad()) return std::nullopt;
  return hash.Finish();
}

std::string DigestText(const Sha256Digest& digest) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(64);
  for (const std::uint8_t b : digest) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0xF]);
  }
  return text;
}

std::optional<Sha256Digest> ParseDigestText(std::string_view text) {
  if (text.size() != 64) return std::nullopt;
  Sha256Digest digest{};
  for (std::size_t i = 0; i < 32; ++i) {
    const int high = HexDigitValue(text[2 * i]);
    const int low = HexDigitValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    digest[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return digest;
}

}  // namespace kestro::update
