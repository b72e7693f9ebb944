#include "io/file_view.hpp"

#include <algorithm>
#include <utility>

#include "io/mdl_pe.hpp"
#include "io/utf8_text.hpp"
#include "platform/file.hpp"

namespace kestro::checks {
FileView FileView::Open(std::filesystem::path path) {
  FileView view;
  view.path_ = std::move(path);
  view.pathText_ = io::PathUtf8(view.path_);
  // Read, existing, full sharing, as the checks open files; the size comes with the open.
  std::int64_t size = -1;
  view.handle_ = platform::OpenRawFileForReading(view.path_, size);
  if (view.handle_ <= 0) {
    view.handle_ = 0;
    return view;
  }
  view.size_ = size < 0 ? -1 : size;
  if (view.size_ < 0) return view;
  if (view.size_ > 0) {
    const std::int64_t head = std::min(view.size_, kHeadBytes);
    view.memory_ = ReadBuffer(static_cast<std::size_t>(view.size_ <= kWholeBlockLimit ? view.size_ : head));
    const std::int64_t got =
        platform::RawFileReadAt(view.handle_, 0, view.memory_.Data(), static_cast<std::size_t>(head));
    view.held_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    view.headIsWhole_ = static_cast<std::int64_t>(view.held_) == view.size_;
  } else {
    view.headIsWhole_ = true;
  }
  return view;
}

FileView FileView::FromBytes(std::filesystem::path path, std::span<const std::uint8_t> bytes) {
  FileView view;
  view.path_ = std::move(path);
  view.pathText_ = io::PathUtf8(view.path_);
  view.size_ = static_cast<std::int64_t>(bytes.size());
  view.external_ = bytes;
  view.external_set_ = true;
  view.headIsWhole_ = true;
  return view;
}

FileView::FileView(FileView&& other) noexcept
    : path_(std::move(other.path_)),
      pathText_(std::move(other.pathText_)),
      handle_(std::exchange(other.handle_, 0)),
      size_(other.size_),
      memory_(std::move(other.memory_)),
      held_(std::exchange(other.held_, 0)),
      headIsWhole_(other.headIsWhole_),
      retired_(std::move(other.retired_)),
      external_(other.external_),
      external_set_(other.external_set_),
      windows_(std::move(other.windows_)),
      probe_(other.probe_) {}

FileView::~FileView() { ReleaseHandle(); }

void FileView::ReleaseHandle() {
  if (handle_ > 0) mdlPE::CloseFile(handle_);
  handle_ = 0;
}

std::span<const std::uint8_t> FileView::Memory() const {
  if (external_set_) return external_;
  return {memory_.Data(), held_};
}

std::span<const std::uint8_t> FileView::Whole() {
  if (size_ <= 0) return {};
  if (!headIsWhole_ && handle_ > 0 && size_ <= INT32_MAX) {
    const auto size = static_cast<std::size_t>(size_);
    if (memory_.Capacity() < size) {
      // A file beyond the block taken at open: a larger block, the head copied
      // in. Spans handed out over the head stay valid: it is kept.
      ReadBuffer all(size);
      std::copy(memory_.Data(), memory_.Data() + held_, all.Data());
      retired_.push_back(std::exchange(memory_, std::move(all)));
    }
    // The head is already in memory: read only the rest, behind it.
    const std::int64_t got = platform::RawFileReadAt(handle_, held_, memory_.Data() + held_, size - held_);
    if (got >= 0) {
      held_ += static_cast<std::size_t>(got);
      headIsWhole_ = true;
    }
  }
  // A file that shrank while open: what could be read stands for the file.
  return headIsWhole_ ? Memory() : std::span<const std::uint8_t>{};
}

std::span<const std::uint8_t> FileView::Window(std::int32_t startPos, std::int32_t length) {
  if (ReadRefusal(size_, startPos, length) != 0) return {};
  const std::uint64_t from = static_cast<std::uint64_t>(startPos) - 1;
  const std::uint64_t wanted = std::min<std::uint64_t>(static_cast<std::uint64_t>(length),
                                                       static_cast<std::uint64_t>(size_) - from);
  std::span<const std::uint8_t> memory = Memory();
  if (!headIsWhole_ && from + wanted > memory.size() && length > kDirectReadLimit) {
    memory = Whole();
  }
  // Inside the memory both fit a size_t, also where that is 32 bits wide.
  if (from + wanted <= memory.size()) {
    return memory.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(wanted));
  }
  if (headIsWhole_) {
    // The file is shorter than its size said: serve what there is.
    if (from >= memory.size()) return {};
    return memory.subspan(static_cast<std::size_t>(from));
  }
  if (handle_ <= 0) return {};
  Bytes block;
  if (clsFile{}.VbReadFileB(handle_, startPos, length, block) <= 0) return {};
  windows_.push_back(std::move(block));
  return windows_.back();
}

std::int32_t FileView::ReadAt(std::int32_t startPos, std::int32_t length, Bytes& out) {
  out.clear();
  const std::int32_t refusal = ReadRefusal(size_, startPos, length);
  if (refusal != 0) return refusal;
  const std::span<const std::uint8_t> window = Window(startPos, length);
  if (window.empty()) return -1;
  out.assign(window.begin(), window.end());
  return static_cast<std::int32_t>(out.size());
}

std::int32_t FileView::PeProbe() {
  if (!probe_) probe_ = mdlPE::ProbePE(*this);
  return *probe_;
}

}  // namespace kestro::checks
