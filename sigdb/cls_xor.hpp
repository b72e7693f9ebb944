#pragma once
// The XOR cipher of the signature database files (and of the quarantine store).
// Byte n of a block (counted from 0) is XORed with key byte n modulo the key
// length; the operation is its own inverse.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kestro::sigdb {

class clsXOR {
 public:
  // Called with a whole percentage while a block is processed (see EncryptByte).
  using ProgressHandler = std::function<void(int percent)>;

  // Sets the key (its characters are taken as bytes, one per character). A value
  // equal to the current key changes nothing.
  void Key(std::string_view key);
  const std::string& KeyText() const { return key_; }

  void OnProgress(ProgressHandler handler) { progress_ = std::move(handler); }

  // If `key` is not empty it first becomes the key; then every byte of the block is
  // XORed in place. Progress: after byte n is processed and n has reached the
  // threshold (initially 0), the percentage floor(n / length * 100) is notified
  // and the next threshold becomes round(length * (percentage + 1) / 100 + 1),
  // ties to even; after the last byte a final 100 follows unless the last
  // notification was already 100.
  //
  // Without any key the block is left unchanged and false is answered (there is
  // no key byte to use); otherwise true.
  bool EncryptByte(std::span<std::uint8_t> block, std::string_view key = {});
  bool DecryptByte(std::span<std::uint8_t> block, std::string_view key = {}) {
    return EncryptByte(block, key);
  }

 private:
  std::string key_;
  ProgressHandler progress_;
};

}  // namespace kestro::sigdb
