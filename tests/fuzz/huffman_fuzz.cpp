// Fuzzes the container codec over arbitrary bytes: every input must decode or
// fail with a HuffmanError, whatever decodes must encode and decode again to
// the same bytes, and the input itself must survive an encode and decode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "remedy/cls_huffman.hpp"

namespace {

void RoundTrip(const kestro::remedy::clsHuffman& huffman, const kestro::remedy::Bytes& original) {
  kestro::remedy::Bytes bytes = original;
  huffman.EncodeByte(bytes);
  huffman.DecodeByte(bytes);
  if (bytes != original) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestro::remedy::clsHuffman huffman;
  const kestro::remedy::Bytes input(data, data + size);
  RoundTrip(huffman, input);
  kestro::remedy::Bytes bytes = input;
  try {
    huffman.DecodeByte(bytes);
  } catch (const kestro::remedy::HuffmanError&) {
    return 0;
  }
  RoundTrip(huffman, bytes);
  return 0;
}
