#pragma once
// `clsHuffman`: the quarantine container class. The byte operations replace an
// array's content by its container or by the decoded data and raise
// HuffmanError; the file operations turn every error into the user's message
// ("Quarantine error !" / "Restore error !") and answer false, writing nothing.

#include <filesystem>
#include <string>

#include "remedy/huffman_codec.hpp"
#include "remedy/remedy_context.hpp"

namespace kestro::remedy {

inline constexpr const char* kQuarantineErrorText = "Quarantine error !";
inline constexpr const char* kRestoreErrorText = "Restore error !";

// What went wrong in a file operation, for callers that tell the user more than
// the operation's own message.
enum class FileFailure {
  None,
  Source,  // the source is missing or unreadable
  Empty,   // the source is empty (no message)
  Data,    // the container is not sound (decoding) or the data too large
  Write,   // the result could not be written; `writeError` says why
};

struct FileOutcome {
  FileFailure failure = FileFailure::None;
  platform::FileError writeError = platform::FileError::None;
  bool ok() const { return failure == FileFailure::None; }
};

class clsHuffman {
 public:
  // Byte and text operations only; the file operations then answer false.
  clsHuffman() = default;
  explicit clsHuffman(RemedyContext& context) : context_(&context) {}

  // The `progress` event: whole percentages while encoding and decoding.
  ProgressSink progress;

  void EncodeByte(Bytes& data) const { data = EncodeContainer(data, progress); }
  void DecodeByte(Bytes& data) const { data = DecodeContainer(data, progress); }

  // The byte operations over ANSI text (one char per byte).
  std::string EncodeString(const std::string& text) const;
  std::string DecodeString(const std::string& text) const;

  // Source missing or failing: message and false. Empty source: false, no message.
  // An existing destination is removed with the delete routine first.
  bool EncodeFile(const std::filesystem::path& source, const std::filesystem::path& destination) const;
  bool DecodeFile(const std::filesystem::path& source, const std::filesystem::path& destination) const;

  // DecodeFile for a restore: the decoded file takes the destination's name only
  // when complete; an existing file there is replaced (in one rename) only when
  // `replace` is true and is never deleted otherwise. Shows "Restore error !" on
  // every failure, as DecodeFile does.
  FileOutcome DecodeFileInto(const std::filesystem::path& source, const std::filesystem::path& destination,
                             bool replace) const;

 private:
  enum class Direction { Encode, Decode };
  enum class Placement { DeleteExisting, KeepExisting, ReplaceExisting };
  FileOutcome Transform(Direction direction, const std::filesystem::path& source,
                        const std::filesystem::path& destination, Placement placement) const;

  RemedyContext* context_ = nullptr;
};

}  // namespace kestro::remedy
