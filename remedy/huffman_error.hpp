#pragma once
// Errors of the container byte operations. They carry the error number and texts
// of the container format; the file operations turn them into the user's messages.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kestro::remedy {

// The base of user-defined error numbers, as the container code raises them.
inline constexpr std::uint32_t kHuffmanErrorNumber = 0x80040000u;
inline constexpr const char* kHuffmanErrorSource = "HuffmanDecode()";

enum class HuffmanFault {
  Identification,  // not an HE3/HE0 container
  Checksum,        // decoded bytes do not match the stored checksum
  CorruptTable,    // N out of range, bad code lengths, not a prefix code, table past the end
  CorruptData,     // a code leads to a missing child, or the data ends too early
  TooLarge,        // input too large for the container's signed 32-bit length
};

class HuffmanError : public std::runtime_error {
 public:
  explicit HuffmanError(HuffmanFault fault);
  HuffmanFault fault() const { return fault_; }
  std::uint32_t number() const { return kHuffmanErrorNumber; }
  const char* source() const { return kHuffmanErrorSource; }

 private:
  HuffmanFault fault_;
};

// The description text of a fault.
const char* HuffmanFaultText(HuffmanFault fault);

}  // namespace kestro::remedy
