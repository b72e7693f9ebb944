#include "remedy/cls_huffman.hpp"

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
  return Transform(Direction::Encode, source, destination);
}

bool clsHuffman::DecodeFile(const std::filesystem::path& source, const std::filesystem::path& destination) const {
  return Transform(Direction::Decode, source, destination);
}

bool clsHuffman::Transform(Direction direction, const std::filesystem::path& source,
                           const std::filesystem::path& destination) const {
  if (context_ == nullptr) return false;
  RemedyContext& context = *context_;
  const auto fail = [&] {
    context.messages.ShowMessage(context.programTitle,
                                 direction == Direction::Encode ? kQuarantineErrorText : kRestoreErrorText,
                                 platform::MessageIcon::Exclamation);
    return false;
  };
  if (!context.files.IsFile(source)) return fail();
  const auto bytes = ReadWholeFile(source);
  if (!bytes) return fail();
  if (bytes->empty()) return false;
  // The result streams into a temporary file beside the destination, so it is
  // never held whole in memory, and a fault (a decoding error shows only at
  // the end) leaves no partial file and the existing destination untouched.
  StagedFile staged(destination);
  if (!staged.ok()) return fail();
  const ChunkSink write = [&staged](std::span<const std::uint8_t> piece) { staged.Append(piece); };
  try {
    if (direction == Direction::Encode) EncodeContainerTo(*bytes, write, progress);
    else DecodeContainerTo(*bytes, write, progress);
  } catch (const HuffmanError&) {
    return fail();
  } catch (const std::bad_alloc&) {
    return fail();
  }
  if (!staged.Finish()) return fail();
  if (context.files.Exists(destination)) {
    DeleteRoutine(context).Delete(destination);
    if (context.files.Exists(destination)) return fail();
  }
  if (!staged.PlaceAt(destination)) return fail();
  return true;
}

}  // namespace kestro::remedy
