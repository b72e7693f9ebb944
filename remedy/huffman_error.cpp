#include "remedy/huffman_error.hpp"

namespace kestro::remedy {

const char* HuffmanFaultText(HuffmanFault fault) {
  switch (fault) {
    case HuffmanFault::Identification:
      return "The data either was not compressed with HE3 or is corrupt (identification string not found)";
    case HuffmanFault::Checksum:
      return "The data might be corrupted (checksum did not match expected value)";
    case HuffmanFault::CorruptTable:
      return "The data might be corrupted (code table is not valid)";
    case HuffmanFault::CorruptData:
      return "The data might be corrupted (code leads nowhere or data ends early)";
    case HuffmanFault::TooLarge:
      return "The data is too large for the container";
  }
  return "The data might be corrupted";
}

HuffmanError::HuffmanError(HuffmanFault fault) : std::runtime_error(HuffmanFaultText(fault)), fault_(fault) {}

}  // namespace kestro::remedy
