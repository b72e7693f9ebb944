#include "remedy/cls_huffman.hpp"

#include "platform/staged_file.hpp"
#include "remedy/delete_routine.hpp"
#include "remedy/file_bytes.hpp"

namespace kestro::remedy {

std::string clsHuffman::EncodeString(const std::string& text) const {
  Bytes bytes(text.begin(), text.end());
  EncodeByte(bytes);
  return std::string(bytes.begin(), bytes.end());
}

std::string clsHuffman::DecodeString(const std::string& text) const {
  Bytes bytes(text.begin(), text.end());
  DecodeByte(bytes);
  return std::string(bytes.begin(), bytes.end());
}

bool clsHuffman::EncodeFile(const std::filesystem::path& source, const std::filesystem::path& destination) const {
  return Transform(Direction::Encode, source, destination, Placement::DeleteExisting).ok();
}

bool clsHuffman::DecodeFile(const std::filesystem::path& source, const std::filesystem::path& destination) const {
  return Transform(Direction::Decode, source, destination, Placement::DeleteExisting).ok();
}

FileOutcome clsHuffman::DecodeFileInto(const std::filesystem::path& source, const std::filesystem::path& destination,
                                       bool replace) const {
  return Transform(Direction::Decode, source, destination,
                   replace ? Placement::ReplaceExisting : Placement::KeepExisting);
}

FileOutcome clsHuffman::Transform(Direction direction, const std::filesystem::path& source,
                                  const std::filesystem::path& destination, Placement placement) const {
  if (context_ == nullptr) return {FileFailure::Source};
  RemedyContext& context = *context_;
  const auto fail = [&](FileFailure failure, platform::FileError writeError = platform::FileError::None) {
    context.messages.ShowMessage(context.programTitle,
                                 direction == Direction::Encode ? kQuarantineErrorText : kRestoreErrorText,
                                 platform::MessageIcon::Exclamation);
    return FileOutcome{failure, writeError};
  };
  if (!context.files.IsFile(source)) return fail(FileFailure::Source);
  const auto bytes = ReadWholeFile(source);
  if (!bytes) return fail(FileFailure::Source);
  if (bytes->empty()) return {FileFailure::Empty};
  // The result streams into a temporary file beside the destination, so it is
  // never held whole in memory, and a fault (a decoding error shows only at
  // the end, a full disk at any point) leaves no partial file and the existing
  // destination untouched.
  platform::StagedFile staged(context.files, destination);
  if (!staged.ok()) return fail(FileFailure::Write, staged.error());
  const ChunkSink write = [&staged](std::span<const std::uint8_t> piece) { staged.Append(piece); };
  try {
    if (direction == Direction::Encode) EncodeContainerTo(*bytes, write, progress);
    else DecodeContainerTo(*bytes, write, progress);
  } catch (const HuffmanError&) {
    return fail(FileFailure::Data);
  } catch (const std::bad_alloc&) {
    return fail(FileFailure::Data);
  }
  if (!staged.Finish()) return fail(FileFailure::Write, staged.error());
  if (placement == Placement::DeleteExisting && context.files.Exists(destination)) {
    DeleteRoutine(context).Delete(destination);
    if (context.files.Exists(destination)) return fail(FileFailure::Write, platform::FileError::AccessDenied);
  }
  if (!staged.PlaceAt(destination, placement == Placement::ReplaceExisting)) {
    return fail(FileFailure::Write, staged.error());
  }
  return {};
}

}  // namespace kestro::remedy
