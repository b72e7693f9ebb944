#pragma once
// One file under check, opened once and read once.
//
// The checks ask for windows of the file by 1-based position and length, with the
// file access rules (a window that starts past the end, or is longer than the whole
// file, is empty; one that runs past the end is cut). The view serves them from
// memory: a small file is read whole when it is opened, a larger one has its head
// read once (the header windows and the sampled bytes lie there), and the whole
// file is read at most once, when a check needs more than a few small windows.
// Head and rest go into one block taken at open for the whole file (up to the
// file check's limit), so reading the rest copies nothing; the block is not
// cleared beforehand and is reused by the thread's next view (ReadBuffer).
// Nothing is read beyond the file's real size.

#include <cstdint>
#include <vector>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "io/cls_file.hpp"
#include "io/positioned_reader.hpp"
#include "io/read_buffer.hpp"

namespace kestro::checks {

class FileView final : public PositionedReader {
 public:
  // Files up to this size are read whole at open; larger ones get a head of it.
  static constexpr std::int64_t kHeadBytes = 64 * 1024;
  // A window longer than this, outside the bytes in memory, loads the whole file.
  static constexpr std::int32_t kDirectReadLimit = 64 * 1024;
  // Files up to this size get one block for the whole file at open.
  static constexpr std::int64_t kWholeBlockLimit = 10 * 1024 * 1024;

  // Opens the file for reading with full sharing. A file that cannot be opened
  // gives a view of size -1 that reads nothing.
  static FileView Open(std::filesystem::path path);
  // A view of bytes already in memory (tests, fuzzing); `bytes` must outlive it.
  static FileView FromBytes(std::filesystem::path path, std::span<const std::uint8_t> bytes);

  FileView(FileView&& other) noexcept;
  FileView& operator=(FileView&&) = delete;
  FileView(const FileView&) = delete;
  ~FileView() override;

  const std::filesystem::path& Path() const { return path_; }
  // The path as UTF-8 text (made once; the checks test its extension often).
  const std::string& PathText() const { return pathText_; }
  bool Opened() const { return size_ >= 0; }

  // Size in bytes; -1 when the file could not be opened.
  std::int64_t Size() const override { return size_; }

  // Copying read with the file access results (count or negative refusal code).
  std::int32_t ReadAt(std::int32_t startPos, std::int32_t length, Bytes& out) override;

  // The same window without copying; empty when refused or unreadable. The span
  // stays valid for the life of the view.
  std::span<const std::uint8_t> Window(std::int32_t startPos, std::int32_t length);

  // The whole file (read once); empty when it cannot be read.
  std::span<const std::uint8_t> Whole();

  // e_lfanew of a 32-bit PE image, or 0 (probed once).
  std::int32_t PeProbe();

  // Closes the handle; later reads are served only from bytes already in memory.
  // Used before the file is replaced or deleted.
  void ReleaseHandle();

 private:
  FileView() = default;
  std::span<const std::uint8_t> Memory() const;

  std::filesystem::path path_;
  std::string pathText_;
  std::int32_t handle_ = 0;
  std::int64_t size_ = -1;
  ReadBuffer memory_;                          // the first held_ bytes of the file
  std::size_t held_ = 0;
  bool headIsWhole_ = false;                   // held_ covers the file
  std::vector<ReadBuffer> retired_;            // a head replaced by a larger block, kept for its spans
  std::span<const std::uint8_t> external_;     // FromBytes
  bool external_set_ = false;
  // Windows read directly, kept for their spans: when the vector grows its
  // elements move, but the blocks they own stay where they are.
  std::vector<Bytes> windows_;
  std::optional<std::int32_t> probe_;
};

}  // namespace kestro::checks
