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
  auto bytes = ReadWholeFile(source);
  if (!bytes) return fail();
  if (bytes->empty()) return false;
  try {
    if (direction == Direction::Encode) EncodeByte(*bytes);
    else DecodeByte(*bytes);
  } catch (const HuffmanError&) {
    return fail();
  } catch (const std::bad_alloc&) {
    return fail();
  }
  if (context.files.Exists(destination)) {
    DeleteRoutine(context).Delete(destination);
    if (context.files.Exists(destination)) return fail();
  }
  if (!WriteWholeFile(destination, *bytes)) return fail();
  return true;
}

}  // namespace kestro::remedy
