// Fuzzes container decoding over arbitrary bytes: every input must decode or
// fail with a HuffmanError, and whatever decodes must encode and decode again
// to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "remedy/cls_huffman.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestro::remedy::clsHuffman huffman;
  kestro::remedy::Bytes bytes(data, data + size);
  try {
    huffman.DecodeByte(bytes);
  } catch (const kestro::remedy::HuffmanError&) {
    return 0;
  }
  const kestro::remedy::Bytes decoded = bytes;
  huffman.EncodeByte(bytes);
  huffman.DecodeByte(bytes);
  if (bytes != decoded) std::abort();
  return 0;
}
