#pragma once
// The HE3 container codec: a static Huffman code whose table travels in the
// container, with an XOR checksum of the uncompressed bytes, and the stored
// variant HE0 for data the code would not shrink.
//
// Encoding follows the product's tree-building tie rules exactly, so every
// container is byte-identical to the one the product writes. Both directions
// work with tables (codes as machine words, a decode look-up table) rather than
// one bit cell at a time. Decoding treats the container as hostile: every read
// is bounds-checked and the output is capped by what the data bits can encode.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "remedy/huffman_error.hpp"

namespace kestro::remedy {

using Bytes = std::vector<std::uint8_t>;

// Receives whole percentages (0..100); called only when the value changes.
using ProgressSink = std::function<void(std::int16_t)>;

// Receives output piece by piece, in order (pieces of at most a few hundred KiB).
using ChunkSink = std::function<void(std::span<const std::uint8_t>)>;

// Code lengths (0 = no code) of the 256 byte values that the tie rules give for
// these counts; exposed for tests of the tree building.
std::vector<std::uint8_t> HuffmanCodeLengths(const std::uint64_t (&counts)[256]);

// Builds the container for `input` (HE3, or HE0 when the code would not shrink
// it). Throws HuffmanError(TooLarge) for inputs of 2 GiB or more.
Bytes EncodeContainer(std::span<const std::uint8_t> input, const ProgressSink& progress = {});

// The same container handed to `output` piece by piece, so it never has to be
// held whole; a fault is thrown before anything is handed over.
void EncodeContainerTo(std::span<const std::uint8_t> input, const ChunkSink& output, const ProgressSink& progress = {});

// Decodes a container. Throws HuffmanError on any fault.
Bytes DecodeContainer(std::span<const std::uint8_t> container, const ProgressSink& progress = {});

// The decoded bytes handed to `output` piece by piece. The checksum can only be
// judged at the end: when this throws, pieces already handed over must be
// discarded by the caller.
void DecodeContainerTo(std::span<const std::uint8_t> container, const ChunkSink& output,
                       const ProgressSink& progress = {});

}  // namespace kestro::remedy
