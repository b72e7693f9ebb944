#pragma once
// Memory that file bytes are read into. It is not zero-filled first (the read
// fills it), and when it is released its thread keeps it for the next file, so
// a scan of thousands of files neither clears nor maps fresh memory for each.
// One spare block is kept per thread, up to kSpareLimit bytes.

#include <cstddef>
#include <cstdint>

namespace kestro::checks {

class ReadBuffer {
 public:
  static constexpr std::size_t kSpareLimit = 4 * 1024 * 1024;

  ReadBuffer() = default;
  // At least `capacity` bytes of uninitialised memory.
  explicit ReadBuffer(std::size_t capacity);
  ReadBuffer(ReadBuffer&& other) noexcept;
  ReadBuffer& operator=(ReadBuffer&& other) noexcept;
  ReadBuffer(const ReadBuffer&) = delete;
  ReadBuffer& operator=(const ReadBuffer&) = delete;
  ~ReadBuffer();

  std::uint8_t* Data() { return data_; }
  const std::uint8_t* Data() const { return data_; }
  std::size_t Capacity() const { return capacity_; }

 private:
  void Release();

  std::uint8_t* data_ = nullptr;
  std::size_t capacity_ = 0;
};

}  // namespace kestro::checks
