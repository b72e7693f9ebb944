#include "io/positioned_reader.hpp"

#include <algorithm>

namespace kestro::checks {

std::int64_t HandleReader::Size() const { return file_.FileLen64(handle_); }

std::int32_t HandleReader::ReadAt(std::int32_t startPos, std::int32_t length, Bytes& out) {
  return file_.VbReadFileB(handle_, startPos, length, out);
}

std::int32_t MemoryReader::ReadAt(std::int32_t startPos, std::int32_t length, Bytes& out) {
  out.clear();
  const std::int32_t refusal = ReadRefusal(Size(), startPos, length);
  if (refusal != 0) return refusal;
  const std::size_t from = static_cast<std::size_t>(startPos - 1);
  const std::size_t count = std::min(static_cast<std::size_t>(length), bytes_.size() - from);
  out.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(from),
             bytes_.begin() + static_cast<std::ptrdiff_t>(from + count));
  return static_cast<std::int32_t>(count);
}

}  // namespace kestro::checks
