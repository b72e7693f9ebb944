#include "remedy/huffman_codec.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "io/le_fields.hpp"

namespace kestro::remedy {
namespace {

constexpr std::uint8_t kStoredId[4] = {72, 69, 48, 13};  // "HE0" CR
constexpr std::uint8_t kPackedId[4] = {72, 69, 51, 13};  // "HE3" CR
constexpr std::size_t kHeaderSize = 11;                  // id, CR, checksum, length, N

// Raises progress values only when they change.
class Progress {
 public:
  explicit Progress(const ProgressSink& sink) : sink_(sink) {}
  void Raise(double value) {
    if (!sink_) return;
    const auto v = static_cast<std::int16_t>(std::lround(value));
    if (v == last_) return;
    last_ = v;
    sink_(v);
  }
  bool active() const { return static_cast<bool>(sink_); }

 private:
  const ProgressSink& sink_;
  std::int16_t last_ = -1;
};

// A code as bits in words: bit i of the code is bit (i % 64) of word i / 64.
struct Code {
  std::uint8_t length = 0;
  std::array<std::uint64_t, 4> bits{};
};

struct Node {
  std::int32_t parent = -1;
  std::int32_t right = -1;
  std::int32_t left = -1;
  std::int32_t value = -1;
  std::uint64_t weight = 0;
};

// Builds the coding tree with the product's pairing rules and walks it into codes.
std::array<Code, 256> BuildCodes(const std::uint64_t (&counts)[256]) {
  std::array<Node, 512> nodes{};
  std::int32_t count = 0;
  for (int v = 0; v < 256; ++v) {
    if (counts[v] == 0) continue;
    nodes[static_cast<std::size_t>(count)].value = v;
    nodes[static_cast<std::size_t>(count)].weight = counts[v];
    ++count;
  }
  std::array<Code, 256> codes{};
  if (count == 0) return codes;
  const std::int32_t leaves = count;
  for (std::int32_t round = 1; round < leaves; ++round) {
    std::int32_t a = -1, b = -1;
    for (std::int32_t i = 0; i < count; ++i) {
      const Node& n = nodes[static_cast<std::size_t>(i)];
      if (n.parent != -1) continue;
      if (a == -1) { a = i; continue; }
      if (b == -1) { b = i; continue; }
      const std::uint64_t w = n.weight;
      const std::uint64_t wa = nodes[static_cast<std::size_t>(a)].weight;
      const std::uint64_t wb = nodes[static_cast<std::size_t>(b)].weight;
      if (w < wa) {
        if (w < wb && wa < wb) b = i;
        else a = i;
      } else if (w < wb) {
        b = i;
      }
    }
    Node& parent = nodes[static_cast<std::size_t>(count)];
    parent.weight = nodes[static_cast<std::size_t>(a)].weight + nodes[static_cast<std::size_t>(b)].weight;
    parent.left = a;
    parent.right = b;
    nodes[static_cast<std::size_t>(a)].parent = count;
    nodes[static_cast<std::size_t>(b)].parent = count;
    ++count;
  }
  // Depth-first walk from the root; left appends 0, right appends 1.
  struct Step { std::int32_t node; Code code; };
  std::vector<Step> stack;
  stack.push_back({count - 1, Code{}});
  while (!stack.empty()) {
    Step s = stack.back();
    stack.pop_back();
    const Node& n = nodes[static_cast<std::size_t>(s.node)];
    if (n.value >= 0) {
      codes[static_cast<std::size_t>(n.value)] = s.code;
      continue;
    }
    // A tree of at most 256 leaves is at most 255 deep.
    Code left = s.code, right = s.code;
    const std::size_t bit = s.code.length;
    right.bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
    left.length = right.length = static_cast<std::uint8_t>(s.code.length + 1);
    stack.push_back({n.right, right});
    stack.push_back({n.left, left});
  }
  return codes;
}

// Packs bits least significant first into a pre-sized buffer.
class BitWriter {
 public:
  explicit BitWriter(std::uint8_t* out) : out_(out) {}
  // Appends up to 32 bits.
  void Put(std::uint64_t bits, unsigned length) {
    acc_ |= bits << filled_;
    filled_ += length;
    if (filled_ >= 32) {
      const auto word = static_cast<std::uint32_t>(acc_);
      out_[pos_] = static_cast<std::uint8_t>(word);
      out_[pos_ + 1] = static_cast<std::uint8_t>(word >> 8);
      out_[pos_ + 2] = static_cast<std::uint8_t>(word >> 16);
      out_[pos_ + 3] = static_cast<std::uint8_t>(word >> 24);
      pos_ += 4;
      acc_ >>= 32;
      filled_ -= 32;
    }
  }
  void PutCode(const Code& code) {
    unsigned left = code.length;
    unsigned bit = 0;
    while (left > 0) {
      const unsigned take = left < 32 ? left : 32;
      const std::uint64_t chunk = (code.bits[bit / 64] >> (bit % 64)) & ((std::uint64_t{1} << take) - 1);
      Put(chunk, take);
      bit += take;
      left -= take;
    }
  }
  // Writes the last partial bytes (zero padded); returns the bytes written in all.
  std::size_t Finish() {
    while (filled_ > 0) {
      out_[pos_++] = static_cast<std::uint8_t>(acc_);
      acc_ >>= 8;
      filled_ = filled_ > 8 ? filled_ - 8 : 0;
    }
    return pos_;
  }

 private:
  std::uint8_t* out_;
  std::size_t pos_ = 0;
  std::uint64_t acc_ = 0;
  unsigned filled_ = 0;
};

// Decode look-up: the next kLookupBits bits (least significant first) lead to a
// leaf, to a missing child, or to an inner node below which the walk goes on.
constexpr unsigned kLookupBits = 12;
enum class EntryKind : std::uint8_t { Leaf, Missing, Inner };
struct LookupEntry {
  EntryKind kind = EntryKind::Missing;
  std::uint8_t depth = 0;    // bits consumed (Leaf, Missing)
  std::uint8_t symbol = 0;   // Leaf
  std::int32_t node = -1;    // Inner
};

// Eight bytes as a little-endian word (the bit order of the container).
inline std::uint64_t LoadLE64(const std::uint8_t* from) {
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, from, 8);
  } else {
    for (int k = 7; k >= 0; --k) word = (word << 8) | from[k];
  }
  return word;
}

struct BitState {
  std::uint64_t acc;
  unsigned bits;
  std::size_t pos;
};

// Tops the bit buffer up to at least 56 bits while bytes remain.
inline BitState Refill(BitState st, const std::uint8_t* data, std::size_t end) {
  if (end - st.pos >= 8) {
    st.acc |= LoadLE64(data + st.pos) << st.bits;
    const unsigned take = (63 - st.bits) >> 3;
    st.pos += take;
    st.bits += take * 8;
  } else {
    while (st.bits <= 56 && st.pos < end) {
      st.acc |= std::uint64_t{data[st.pos++]} << st.bits;
      st.bits += 8;
    }
  }
  return st;
}

struct DecodeNode {
  std::int32_t left = -1;
  std::int32_t right = -1;
  std::int32_t value = -1;
};

}  // namespace

std::vector<std::uint8_t> HuffmanCodeLengths(const std::uint64_t (&counts)[256]) {
  const auto codes = BuildCodes(counts);
  std::vector<std::uint8_t> lengths(256);
  for (std::size_t v = 0; v < 256; ++v) lengths[v] = codes[v].length;
  return lengths;
}

namespace {

// Byte counts and the XOR of all bytes in one read of the input: eight bytes
// per load spread over four tables, so consecutive equal bytes do not wait on
// each other's increments.
struct InputSummary {
  std::uint64_t counts[256] = {};
  std::uint8_t checksum = 0;
};

void Summarize(const std::uint8_t* data, std::size_t count, std::uint32_t (&partial)[4][256], std::uint64_t& wide,
               std::uint8_t& tail) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const std::uint64_t w = LoadLE64(data + i);
    wide ^= w;
    ++partial[0][w & 0xFF];
    ++partial[1][(w >> 8) & 0xFF];
    ++partial[2][(w >> 16) & 0xFF];
    ++partial[3][(w >> 24) & 0xFF];
    ++partial[0][(w >> 32) & 0xFF];
    ++partial[1][(w >> 40) & 0xFF];
    ++partial[2][(w >> 48) & 0xFF];
    ++partial[3][w >> 56];
  }
  for (; i < count; ++i) {
    ++partial[0][data[i]];
    tail = static_cast<std::uint8_t>(tail ^ data[i]);
  }
}

// One pass over the input for the counts and the checksum; raises the
// counting progress every 1,000 bytes.
InputSummary SummarizeInput(std::span<const std::uint8_t> input, Progress& progress) {
  const std::size_t length = input.size();
  std::uint32_t partial[4][256] = {};
  std::uint64_t wide = 0;
  std::uint8_t tail = 0;
  // The counts are 32-bit: inputs stay below 2 GiB.
  const std::size_t block = progress.active() ? 1000 : length;
  for (std::size_t start = 0; start < length; start += block) {
    const std::size_t end = length - start > block ? start + block : length;
    Summarize(input.data() + start, end - start, partial, wide, tail);
    progress.Raise(static_cast<double>(end) / static_cast<double>(length) * 7.0);
  }
  InputSummary summary;
  for (std::size_t v = 0; v < 256; ++v) {
    summary.counts[v] = std::uint64_t{partial[0][v]} + partial[1][v] + partial[2][v] + partial[3][v];
  }
  summary.checksum = tail;
  for (int shift = 0; shift < 64; shift += 8) {
    summary.checksum = static_cast<std::uint8_t>(summary.checksum ^ (wide >> shift));
  }
  return summary;
}

// The checksum stage's progress: every 10,000 bytes, as a separate pass over
// the input would raise it (the checksum itself came with the counts).
void RaiseChecksumProgress(Progress& progress, std::size_t length) {
  if (!progress.active()) return;
  for (std::size_t start = 0; start < length; start += 10000) {
    const std::size_t end = length - start > 10000 ? start + 10000 : length;
    progress.Raise(static_cast<double>(end) / static_cast<double>(length) * 5.0 + 7.0);
  }
}

// The XOR of all bytes (the container's checksum), eight bytes at a time.
std::uint8_t XorOfBytes(const std::uint8_t* data, std::size_t count) {
  std::uint64_t wide = 0;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, data + i, 8);
    wide ^= w;
  }
  std::uint8_t sum = 0;
  for (int shift = 0; shift < 64; shift += 8) sum = static_cast<std::uint8_t>(sum ^ (wide >> shift));
  for (; i < count; ++i) sum = static_cast<std::uint8_t>(sum ^ data[i]);
  return sum;
}

inline void Store64(std::uint8_t* to, std::uint64_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(to, &value, 8);
  } else {
    for (int k = 0; k < 8; ++k) to[k] = static_cast<std::uint8_t>(value >> (8 * k));
  }
}

// The data bits in progress: whole bytes go out with one 8-byte store after
// each group of codes, so at most 7 bits stay pending between groups.
struct EmitState {
  std::uint8_t* dst;
  std::uint64_t acc;
  unsigned filled;
};

// Emits `count` bytes' codes in groups of `Group` codes per store; a group
// fits the 64-bit accumulator because 7 + Group x longest < 64. State passes
// by value so it stays in registers (the byte stores could alias a reference).
template <unsigned Group>
EmitState EmitGroups(EmitState st, const std::uint8_t* src, std::size_t count, const std::uint64_t* bitsOf,
                     const std::uint8_t* lengthOf) {
  std::uint64_t acc = st.acc;
  unsigned filled = st.filled;
  std::uint8_t* dst = st.dst;
  const std::uint8_t* const end = src + count / Group * Group;
  for (; src != end; src += Group) {
    for (unsigned k = 0; k < Group; ++k) {
      acc |= bitsOf[src[k]] << filled;
      filled += lengthOf[src[k]];
    }
    Store64(dst, acc);
    dst += filled >> 3;
    acc >>= filled & ~7u;
    filled &= 7;
  }
  return {dst, acc, filled};
}

}  // namespace

void EncodeContainerTo(std::span<const std::uint8_t> input, const ChunkSink& output, const ProgressSink& sink) {
  Progress progress(sink);
  const std::size_t length = input.size();
  if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw HuffmanError(HuffmanFault::TooLarge);
  }
  const auto stored = [&] {
    progress.Raise(100);
    output(std::span<const std::uint8_t>(kStoredId, 4));
    if (length > 0) output(input);
  };
  if (length == 0) return stored();

  const InputSummary summary = SummarizeInput(input, progress);
  const auto& counts = summary.counts;
  const auto codes = BuildCodes(counts);
  std::uint64_t payloadBits = 0, tableBits = 0;
  std::int32_t distinct = 0;
  unsigned longest = 0;
  for (std::size_t v = 0; v < 256; ++v) {
    if (counts[v] == 0) continue;
    ++distinct;
    payloadBits += counts[v] * codes[v].length;
    tableBits += codes[v].length;
    if (codes[v].length > longest) longest = codes[v].length;
  }
  const std::uint64_t payload = (payloadBits + 7) / 8;
  // A code over fewer than 2^31 bytes is at most 45 bits long (a code of d
  // bits needs a total count of at least Fibonacci(d + 2)), so this never
  // fires; it keeps the emit loop's accumulator bound checked in one place.
  if (longest > 56) throw HuffmanError(HuffmanFault::TooLarge);
  if (payload == 0 || payload > length) return stored();
  RaiseChecksumProgress(progress, length);

  // Header, (byte, length) pairs and the code table.
  {
    const std::size_t tableBytes = static_cast<std::size_t>((tableBits + 7) / 8);
    Bytes head(kHeaderSize + 2 * static_cast<std::size_t>(distinct) + tableBytes + 8);
    std::memcpy(head.data(), kPackedId, 4);
    head[4] = summary.checksum;
    const auto len32 = static_cast<std::uint32_t>(length);
    for (int k = 0; k < 4; ++k) head[5 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(len32 >> (8 * k));
    head[9] = static_cast<std::uint8_t>(distinct & 0xFF);
    head[10] = static_cast<std::uint8_t>(distinct >> 8);
    std::size_t at = kHeaderSize;
    for (std::size_t v = 0; v < 256; ++v) {
      if (counts[v] == 0) continue;
      head[at++] = static_cast<std::uint8_t>(v);
      head[at++] = codes[v].length;
    }
    BitWriter table(head.data() + at);
    for (std::size_t v = 0; v < 256; ++v) {
      if (counts[v] != 0) table.PutCode(codes[v]);
    }
    at += table.Finish();
    output(std::span<const std::uint8_t>(head.data(), at));
  }

  // Every code comes from two small tables and fits the 64-bit accumulator.
  std::uint64_t bitsOf[256];
  std::uint8_t lengthOf[256];
  for (std::size_t v = 0; v < 256; ++v) {
    lengthOf[v] = codes[v].length;
    bitsOf[v] = codes[v].bits[0];
  }
  // The largest group of codes that fits the accumulator with the pending bits.
  const unsigned group = longest <= 14 ? 4 : longest <= 18 ? 3 : longest <= 28 ? 2 : 1;
  // The data bits go out through a staging buffer that one block of input can
  // never overflow: a block adds at most block x longest bits, plus the slack
  // of the 8-byte stores.
  constexpr std::size_t kBlock = 10000;  // the progress step
  constexpr std::size_t kHandOver = std::size_t{1} << 16;
  std::vector<std::uint8_t> staging(kHandOver + (kBlock * longest + 7) / 8 + 16);
  std::uint8_t* const base = staging.data();
  EmitState st{base, 0, 0};
  const std::uint8_t* src = input.data();
  for (std::size_t start = 0; start < length; start += kBlock) {
    const std::size_t count = length - start > kBlock ? kBlock : length - start;
    const std::uint8_t* from = src + start;
    switch (group) {
      case 4: st = EmitGroups<4>(st, from, count, bitsOf, lengthOf); break;
      case 3: st = EmitGroups<3>(st, from, count, bitsOf, lengthOf); break;
      case 2: st = EmitGroups<2>(st, from, count, bitsOf, lengthOf); break;
      default: break;
    }
    const std::size_t grouped = group > 1 ? count / group * group : 0;
    st = EmitGroups<1>(st, from + grouped, count - grouped, bitsOf, lengthOf);
    if (static_cast<std::size_t>(st.dst - base) >= kHandOver) {
      output(std::span<const std::uint8_t>(base, st.dst));
      st.dst = base;
    }
    progress.Raise(static_cast<double>(start + count) / static_cast<double>(length) * 88.0 + 12.0);
  }
  if (st.filled > 0) *st.dst++ = static_cast<std::uint8_t>(st.acc);
  if (st.dst != base) output(std::span<const std::uint8_t>(base, st.dst));
  progress.Raise(100);
}

Bytes EncodeContainer(std::span<const std::uint8_t> input, const ProgressSink& progress) {
  Bytes out;
  // Upper bound: header, 256 pairs, a table of at most 256 x 255 bits, and a
  // payload no longer than the input (or the stored form). Reserved pages that
  // are never written cost nothing.
  out.reserve(input.size() + kHeaderSize + 512 + 256 * 32);
  EncodeContainerTo(
      input, [&out](std::span<const std::uint8_t> piece) { out.insert(out.end(), piece.begin(), piece.end()); },
      progress);
  return out;
}

void DecodeContainerTo(std::span<const std::uint8_t> in, const ChunkSink& output, const ProgressSink& sink) {
  Progress progress(sink);
  if (in.size() < 4 || in[0] != 72 || in[1] != 69 || in[3] != 13 || (in[2] != 48 && in[2] != 51)) {
    throw HuffmanError(HuffmanFault::Identification);
  }
  if (in[2] == 48) {
    progress.Raise(100);
    if (in.size() > 4) output(in.subspan(4));
    return;
  }

  const auto storedLength = checks::LoadI32(in, 5);
  const auto distinct = checks::LoadI16(in, 9);
  if (!storedLength || !distinct || *distinct < 1 || *distinct > 256) {
    throw HuffmanError(HuffmanFault::CorruptTable);
  }
  const std::uint8_t checksum = in[4];
  const std::size_t pairsEnd = kHeaderSize + 2 * static_cast<std::size_t>(*distinct);
  if (pairsEnd > in.size()) throw HuffmanError(HuffmanFault::CorruptTable);

  std::array<std::uint8_t, 256> lengths{};
  for (std::size_t p = kHeaderSize; p < pairsEnd; p += 2) {
    if (in[p + 1] == 0) throw HuffmanError(HuffmanFault::CorruptTable);
    lengths[in[p]] = in[p + 1];
  }
  std::uint64_t tableBits = 0;
  unsigned shortest = 255;
  for (const std::uint8_t l : lengths) {
    if (l == 0) continue;
    tableBits += l;
    if (l < shortest) shortest = l;
  }
  const std::size_t tableEnd = pairsEnd + static_cast<std::size_t>((tableBits + 7) / 8);
  if (tableEnd > in.size()) throw HuffmanError(HuffmanFault::CorruptTable);

  // Rebuild the tree from the codes in ascending byte order. The codes must
  // form a prefix code: no code may pass through or end on another's node.
  std::vector<DecodeNode> tree(1);
  tree.reserve(512);
  {
    std::uint64_t bit = 0;
    for (std::size_t v = 0; v < 256; ++v) {
      std::int32_t node = 0;
      for (unsigned k = 0; k < lengths[v]; ++k, ++bit) {
        const bool one = (static_cast<unsigned>(in[static_cast<std::size_t>(pairsEnd + bit / 8)]) >> (bit % 8)) & 1u;
        if (tree[static_cast<std::size_t>(node)].value >= 0) throw HuffmanError(HuffmanFault::CorruptTable);
        std::int32_t& child = one ? tree[static_cast<std::size_t>(node)].right : tree[static_cast<std::size_t>(node)].left;
        if (child == -1) {
          child = static_cast<std::int32_t>(tree.size());
          tree.push_back({});  // may move the vector: `child` is not used after this
        }
        node = one ? tree[static_cast<std::size_t>(node)].right : tree[static_cast<std::size_t>(node)].left;
      }
      if (lengths[v] == 0) continue;
      DecodeNode& leaf = tree[static_cast<std::size_t>(node)];
      if (leaf.value >= 0 || leaf.left != -1 || leaf.right != -1) throw HuffmanError(HuffmanFault::CorruptTable);
      leaf.value = static_cast<std::int32_t>(v);
    }
  }

  if (*storedLength <= 0) throw HuffmanError(HuffmanFault::CorruptData);
  const std::uint64_t dataBits = static_cast<std::uint64_t>(in.size() - tableEnd) * 8;
  const auto wanted = static_cast<std::uint64_t>(*storedLength);
  // Every symbol takes at least the shortest code: cap the output by the data.
  if (wanted > dataBits / shortest) throw HuffmanError(HuffmanFault::CorruptData);

  std::vector<LookupEntry> lookup(std::size_t{1} << kLookupBits);
  for (std::uint32_t pattern = 0; pattern < lookup.size(); ++pattern) {
    LookupEntry& e = lookup[pattern];
    std::int32_t node = 0;
    unsigned depth = 0;
    for (;;) {
      if (tree[static_cast<std::size_t>(node)].value >= 0) {
        e = {EntryKind::Leaf, static_cast<std::uint8_t>(depth),
             static_cast<std::uint8_t>(tree[static_cast<std::size_t>(node)].value), node};
        break;
      }
      if (depth == kLookupBits) {
        e = {EntryKind::Inner, static_cast<std::uint8_t>(depth), 0, node};
        break;
      }
      const bool one = (pattern >> depth) & 1u;
      const std::int32_t child = one ? tree[static_cast<std::size_t>(node)].right : tree[static_cast<std::size_t>(node)].left;
      ++depth;
      if (child == -1) {
        e = {EntryKind::Missing, static_cast<std::uint8_t>(depth), 0, -1};
        break;
      }
      node = child;
    }
  }

  // The fast path's table: up to three whole codes per look-up, packed as
  // count << 28 | total depth << 24 | third << 16 | second << 8 | first symbol
  // (0: the first code is longer than the look-up width or leads nowhere).
  std::vector<std::uint32_t> multi(lookup.size());
  for (std::size_t k = 0; k < lookup.size(); ++k) {
    if (lookup[k].kind != EntryKind::Leaf) continue;
    std::uint32_t symbols = 0, count = 0, depth = 0;
    while (count < 3) {
      const LookupEntry& next = lookup[k >> depth];
      if (next.kind != EntryKind::Leaf || depth + next.depth > kLookupBits) break;
      symbols |= std::uint32_t{next.symbol} << (8 * count);
      depth += next.depth;
      ++count;
    }
    multi[k] = count << 28 | depth << 24 | symbols;
  }

  const std::uint8_t* data = in.data();
  const std::size_t end = in.size();
  // Bit state passed by value so it stays in registers; bits above `bits` in
  // `acc` are the next stream bits or 0.
  BitState st{0, 0, tableEnd};
  constexpr std::size_t kStep = 10000;
  std::size_t nextMark = (tableEnd / kStep + 1) * kStep;
  const std::uint64_t mask = (std::uint64_t{1} << kLookupBits) - 1;
  const LookupEntry* table = lookup.data();
  const DecodeNode* nodes = tree.data();
  const std::uint32_t* fast = multi.data();
  // Decoded a chunk at a time; each chunk is folded into the checksum and
  // handed over while it is still in the cache.
  std::vector<std::uint8_t> chunk(std::size_t{1} << 16);
  std::uint8_t sum = 0;
  std::uint64_t remaining = wanted;
  while (remaining > 0) {
    const std::size_t chunkSize = remaining < chunk.size() ? static_cast<std::size_t>(remaining) : chunk.size();
    std::uint8_t* dst = chunk.data();
    std::uint8_t* const dstEnd = dst + chunkSize;
    while (dst != dstEnd) {
      // Eight look-ups store at most 8 x 3 bytes.
      if (end - st.pos >= 8 && dstEnd - dst >= 24) {
        st = Refill(st, data, end);
        // Up to eight look-ups while a whole look-up width stays buffered; each
        // stores three bytes and keeps as many as it decoded.
        bool allLeaves = true;
        for (int n = 0; n < 8 && st.bits >= kLookupBits; ++n) {
          const std::uint32_t entry = fast[st.acc & mask];
          if (entry == 0) {
            allLeaves = false;
            break;
          }
          dst[0] = static_cast<std::uint8_t>(entry);
          dst[1] = static_cast<std::uint8_t>(entry >> 8);
          dst[2] = static_cast<std::uint8_t>(entry >> 16);
          dst += entry >> 28;
          const unsigned depth = (entry >> 24) & 0xFu;
          st.acc >>= depth;
          st.bits -= depth;
        }
        if (st.pos >= nextMark) {
          nextMark += kStep;
          if (progress.active()) progress.Raise(static_cast<double>(st.pos) / static_cast<double>(end) * 89.0);
        }
        if (allLeaves) continue;
      }
      if (st.bits < kLookupBits) st = Refill(st, data, end);
      const LookupEntry e = table[st.acc & mask];
      if (e.kind == EntryKind::Leaf) {
        if (e.depth > st.bits) throw HuffmanError(HuffmanFault::CorruptData);
        *dst++ = e.symbol;
        st.acc >>= e.depth;
        st.bits -= e.depth;
      } else if (e.kind == EntryKind::Missing) {
        throw HuffmanError(HuffmanFault::CorruptData);
      } else {
        if (st.bits < kLookupBits) throw HuffmanError(HuffmanFault::CorruptData);
        st.acc >>= kLookupBits;
        st.bits -= kLookupBits;
        std::int32_t node = e.node;
        while (nodes[node].value < 0) {
          if (st.bits == 0) {
            st = Refill(st, data, end);
            if (st.bits == 0) throw HuffmanError(HuffmanFault::CorruptData);
          }
          const bool one = st.acc & 1u;
          st.acc >>= 1;
          --st.bits;
          node = one ? nodes[node].right : nodes[node].left;
          if (node == -1) throw HuffmanError(HuffmanFault::CorruptData);
        }
        *dst++ = static_cast<std::uint8_t>(nodes[node].value);
      }
      if (st.pos >= nextMark) {
        nextMark += kStep;
        if (progress.active()) progress.Raise(static_cast<double>(st.pos) / static_cast<double>(end) * 89.0);
      }
    }
    sum = static_cast<std::uint8_t>(sum ^ XorOfBytes(chunk.data(), chunkSize));
    output(std::span<const std::uint8_t>(chunk.data(), chunkSize));
    remaining -= chunkSize;
  }

  // The checksum was folded in while decoding; the checking stage's progress
  // values follow, as a separate pass over the output would raise them.
  if (progress.active()) {
    for (std::uint64_t start = 0; start < wanted; start += kStep) {
      const std::uint64_t stop = wanted - start > kStep ? start + kStep : wanted;
      progress.Raise(static_cast<double>(stop) / static_cast<double>(wanted) * 11.0 + 89.0);
    }
  }
  if (sum != checksum) throw HuffmanError(HuffmanFault::Checksum);
  progress.Raise(100);
}

Bytes DecodeContainer(std::span<const std::uint8_t> in, const ProgressSink& progress) {
  Bytes out;
  // The stored length, capped by what the container's bits can encode (one
  // bit per byte at best), sizes the buffer; a hostile length reserves no more.
  if (in.size() >= 4 && in[2] == 48) {
    out.reserve(in.size() - 4);
  } else if (const auto stored = checks::LoadI32(in, 5); stored && *stored > 0) {
    out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(*stored),
                                                                 std::uint64_t{in.size()} * 8)));
  }
  DecodeContainerTo(
      in, [&out](std::span<const std::uint8_t> piece) { out.insert(out.end(), piece.begin(), piece.end()); },
      progress);
  return out;
}

}  // namespace kestro::remedy
