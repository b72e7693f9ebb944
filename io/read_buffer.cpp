#include "io/read_buffer.hpp"

#include <memory>
#include <new>
#include <utility>

#include "platform/large_block.hpp"

namespace kestro::checks {
namespace {

struct BlockFree {
  void operator()(std::uint8_t* block) const { platform::FreeLargeBlock(block); }
};

struct Spare {
  std::unique_ptr<std::uint8_t, BlockFree> data;
  std::size_t capacity = 0;
};

Spare& ThreadSpare() {
  thread_local Spare spare;
  return spare;
}

}  // namespace

ReadBuffer::ReadBuffer(std::size_t capacity) {
  if (capacity == 0) return;
  Spare& spare = ThreadSpare();
  if (spare.data && spare.capacity >= capacity) {
    data_ = spare.data.release();
    capacity_ = std::exchange(spare.capacity, 0);
    return;
  }
  // A block that can become the spare is taken at the spare's full size, so the
  // spare does not grow (and fault in fresh pages) again file after file.
  if (capacity <= kSpareLimit) capacity = kSpareLimit;
  // Huge pages where the system has them: fewer faults and address
  // translations while the file is read in and searched.
  data_ = static_cast<std::uint8_t*>(platform::AllocateLargeBlock(capacity));
  if (data_ == nullptr) throw std::bad_alloc();
  capacity_ = capacity;
}

ReadBuffer::ReadBuffer(ReadBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)) {}

ReadBuffer& ReadBuffer::operator=(ReadBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

ReadBuffer::~ReadBuffer() { Release(); }

void ReadBuffer::Release() {
  if (data_ == nullptr) return;
  Spare& spare = ThreadSpare();
  // Keep the larger block as the spare, within the limit.
  if (capacity_ <= kSpareLimit && capacity_ > spare.capacity) {
    spare.data.reset(data_);
    spare.capacity = capacity_;
  } else {
    platform::FreeLargeBlock(data_);
  }
  data_ = nullptr;
  capacity_ = 0;
}

}  // namespace kestro::checks
