#pragma once
// A source of bytes read by 1-based position with the file access rules, so the
// PE reader and the checks work the same on an open file and on bytes in memory
// (a file read once, a fuzz input).

#include <cstdint>
#include <span>

#include "io/cls_file.hpp"

namespace kestro::checks {

class PositionedReader {
 public:
  virtual ~PositionedReader() = default;
  // True size in bytes, or -1 when unknown.
  virtual std::int64_t Size() const = 0;
  // Same results as clsFile::VbReadFileB: count read (a read running into the end
  // is cut), or a negative refusal code with `out` empty.
  virtual std::int32_t ReadAt(std::int32_t startPos, std::int32_t length, Bytes& out) = 0;
};

// Reads through a handle opened by clsFile; does not own the handle.
class HandleReader final : public PositionedReader {
 public:
  explicit HandleReader(std::int32_t handle) : handle_(handle) {}
  std::int64_t Size() const override;
  std::int32_t ReadAt(std::int32_t startPos, std::int32_t length, Bytes& out) override;

 private:
  std::int32_t handle_;
  clsFile file_;
};

// Reads from bytes already in memory; does not own them.
class MemoryReader final : public PositionedReader {
 public:
  explicit MemoryReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  std::int32_t ReadAt(std::int32_t startPos, std::int32_t length, Bytes& out) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace kestro::checks
