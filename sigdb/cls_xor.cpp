#include "sigdb/cls_xor.hpp"

namespace kestro::sigdb {
namespace {

// x / 100 rounded to the nearest whole number, ties to the even one (the way the
// original arithmetic rounds); exact, with no floating point.
std::uint64_t DivideBy100Rounded(std::uint64_t x) {
  std::uint64_t q = x / 100;
  const std::uint64_t r = x % 100;
  if (r > 50 || (r == 50 && q % 2 == 1)) ++q;
  return q;
}

}  // namespace

void clsXOR::Key(std::string_view key) {
  if (key == key_) return;
  key_.assign(key);
}

bool clsXOR::EncryptByte(std::span<std::uint8_t> block, std::string_view key) {
  if (!key.empty()) Key(key);
  if (key_.empty()) return false;

  const std::size_t keyLength = key_.size();
  const std::uint64_t length = block.size();
  std::uint64_t threshold = 0;
  int lastPercent = -1;
  std::size_t k = 0;  // n modulo the key length, kept as a counter (no division per byte)
  for (std::size_t n = 0; n < block.size(); ++n) {
    block[n] = static_cast<std::uint8_t>(block[n] ^ static_cast<std::uint8_t>(key_[k]));
    if (++k == keyLength) k = 0;
    if (progress_ && n >= threshold) {
      lastPercent = static_cast<int>(static_cast<std::uint64_t>(n) * 100 / length);
      progress_(lastPercent);
      threshold = DivideBy100Rounded(length * static_cast<std::uint64_t>(lastPercent + 1) + 100);
    }
  }
  if (progress_ && lastPercent != 100) progress_(100);
  return true;
}

}  // namespace kestro::sigdb
