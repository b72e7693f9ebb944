// The HE3 container: exact bytes for known inputs, round trips, and hostile
// containers that must fail with the right error.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "remedy/cls_huffman.hpp"
#include "remedy/huffman_codec.hpp"

namespace kestro::remedy {
namespace {

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

HuffmanFault FaultOf(const Bytes& container) {
  try {
    (void)DecodeContainer(container);
  } catch (const HuffmanError& e) {
    return e.fault();
  }
  ADD_FAILURE() << "decoding did not fail";
  return HuffmanFault::TooLarge;
}

// Reference decoder: walks the tree one bit at a time, as the format describes.
Bytes SlowDecode(const Bytes& c) {
  const std::size_t n = static_cast<std::size_t>(c[9] | (c[10] << 8));
  std::array<int, 256> len{};
  for (std::size_t p = 0; p < n; ++p) len[c[11 + 2 * p]] = c[12 + 2 * p];
  struct N { int l = -1, r = -1, v = -1; };
  std::vector<N> t(1);
  std::size_t bit = 0, base = 11 + 2 * n;
  for (int v = 0; v < 256; ++v) {
    int node = 0;
    for (int k = 0; k < len[static_cast<std::size_t>(v)]; ++k, ++bit) {
      const bool one = (c[base + bit / 8] >> (bit % 8)) & 1;
      int next = one ? t[static_cast<std::size_t>(node)].r : t[static_cast<std::size_t>(node)].l;
      if (next == -1) {
        next = static_cast<int>(t.size());
        t.push_back({});
        (one ? t[static_cast<std::size_t>(node)].r : t[static_cast<std::size_t>(node)].l) = next;
      }
      node = next;
    }
    if (len[static_cast<std::size_t>(v)] > 0) t[static_cast<std::size_t>(node)].v = v;
  }
  const std::size_t want = static_cast<std::size_t>(c[5] | (c[6] << 8) | (c[7] << 16) | (c[8] << 24));
  Bytes out;
  int node = 0;
  for (std::size_t p = base + (bit + 7) / 8; p < c.size() && out.size() < want; ++p) {
    for (int k = 0; k < 8 && out.size() < want; ++k) {
      node = ((c[p] >> k) & 1) ? t[static_cast<std::size_t>(node)].r : t[static_cast<std::size_t>(node)].l;
      if (t[static_cast<std::size_t>(node)].v >= 0) {
        out.push_back(static_cast<std::uint8_t>(t[static_cast<std::size_t>(node)].v));
        node = 0;
      }
    }
  }
  return out;
}

TEST(HuffmanVectors, KnownContainers) {
  struct Case {
    const char* name;
    Bytes input;
    Bytes container;
  };
  const std::vector<Case> cases = {
      {"empty", {}, {72, 69, 48, 13}},
      {"abc", B("abc"), {72, 69, 51, 13, 96, 3, 0, 0, 0, 3, 0, 97, 2, 98, 2, 99, 1, 13, 13}},
      {"abcd", B("abcd"), {72, 69, 51, 13, 4, 4, 0, 0, 0, 4, 0, 97, 2, 98, 2, 99, 2, 100, 2, 216, 216}},
      {"one repeated byte", B("zzzzz"), {72, 69, 48, 13, 'z', 'z', 'z', 'z', 'z'}},
      {"single byte", B("q"), {72, 69, 48, 13, 'q'}},
      // a:1 b:1 -> codes 0 and 1, two bits of payload in one byte: not above the length.
      {"ab", B("ab"), {72, 69, 51, 13, 3, 2, 0, 0, 0, 2, 0, 97, 1, 98, 1, 2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes data = c.input;
    clsHuffman huffman;
    huffman.EncodeByte(data);
    EXPECT_EQ(data, c.container);
    huffman.DecodeByte(data);
    EXPECT_EQ(data, c.input);
  }
}

TEST(HuffmanVectors, TieRulesGiveTheCodeLengths) {
  std::uint64_t counts[256] = {};
  counts['a'] = counts['b'] = counts['c'] = 1;
  const auto lengths = HuffmanCodeLengths(counts);
  EXPECT_EQ(lengths['a'], 2);
  EXPECT_EQ(lengths['b'], 2);
  EXPECT_EQ(lengths['c'], 1);
}

TEST(HuffmanVectors, AllByteValuesOnceGiveEightBitCodes) {
  Bytes input(256);
  std::iota(input.begin(), input.end(), 0);
  const Bytes container = EncodeContainer(input);
  ASSERT_EQ(container.size(), 11u + 512 + 256 + 256);
  EXPECT_EQ(container[9], 0);
  EXPECT_EQ(container[10], 1);  // N = 256
  for (std::size_t v = 0; v < 256; ++v) {
    EXPECT_EQ(container[11 + 2 * v], v);
    EXPECT_EQ(container[12 + 2 * v], 8);
  }
  EXPECT_EQ(DecodeContainer(container), input);
  EXPECT_EQ(SlowDecode(container), input);
}

TEST(HuffmanVectors, SkewedCountsGiveLongCodes) {
  // Fibonacci counts make the deepest possible tree: n symbols give codes of 1
  // to n - 1 bits. The sizes cover every way the encoder groups codes per store.
  for (int symbols : {10, 17, 25, 35}) {
    SCOPED_TRACE(std::to_string(symbols) + " symbols");
    Bytes input;
    std::uint64_t a = 1, b = 1;
    for (int symbol = 0; symbol < symbols; ++symbol) {
      input.insert(input.end(), a, static_cast<std::uint8_t>(symbol * 7));
      const std::uint64_t next = a + b;
      a = b;
      b = next;
    }
    std::shuffle(input.begin(), input.end(), std::mt19937(7));
    const Bytes container = EncodeContainer(input);
    ASSERT_EQ(container[2], 51);
    int longest = 0;
    for (std::size_t p = 0; p < container[9]; ++p) longest = std::max<int>(longest, container[12 + 2 * p]);
    EXPECT_EQ(longest, symbols - 1);
    EXPECT_EQ(DecodeContainer(container), input);
    EXPECT_EQ(SlowDecode(container), input);
  }
}

TEST(HuffmanRoundTrip, GeneratedDataOfManySizes) {
  std::mt19937 rng(42);
  for (std::size_t size : {2u, 3u, 7u, 100u, 1000u, 4095u, 10000u, 65537u, 300000u}) {
    for (int kind = 0; kind < 3; ++kind) {
      Bytes input(size);
      for (auto& byte : input) {
        const auto r = rng();
        byte = kind == 0 ? static_cast<std::uint8_t>(r)                    // uniform: stored
             : kind == 1 ? static_cast<std::uint8_t>((r % 7) * (r % 5))    // skewed text-like
                         : static_cast<std::uint8_t>(r % 97 < 60 ? 0 : r);  // zero-heavy, like executables
      }
      SCOPED_TRACE(std::to_string(size) + " kind " + std::to_string(kind));
      const Bytes container = EncodeContainer(input);
      EXPECT_EQ(DecodeContainer(container), input);
      if (container[2] == 51) {
        EXPECT_EQ(SlowDecode(container), input);
        EXPECT_LE(container.size(), 11 + 512 + 256 + input.size());
      }
    }
  }
}

TEST(HuffmanRoundTrip, DecodingStopsAtTheStoredLength) {
  // The data byte of "abc" has five padding bits that would decode to "c" again.
  EXPECT_EQ(DecodeContainer(EncodeContainer(B("abc"))), B("abc"));
}

TEST(HuffmanRoundTrip, ProgressEndsAtHundredAndNeverRepeats) {
  Bytes input(250000);
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<std::uint8_t>(i % 13);
  std::vector<std::int16_t> seen;
  clsHuffman huffman;
  huffman.progress = [&](std::int16_t p) { seen.push_back(p); };
  huffman.EncodeByte(input);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 100);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_NE(seen[i], seen[i - 1]);
  seen.clear();
  huffman.DecodeByte(input);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 100);
}

TEST(HuffmanRoundTrip, ProgressValuesFollowTheStages) {
  // Counting every 1,000 bytes (x 7), checksum every 10,000 (x 5 + 7), data
  // bits every 10,000 (x 88 + 12); decoding by container position (x 89), then
  // the checksum over the output (x 11 + 89); repeated values are not raised.
  struct Case {
    std::size_t length;
    std::vector<std::int16_t> encode;
    std::vector<std::int16_t> decode;
  };
  const std::vector<Case> cases = {
      {1, {7, 100}, {100}},
      {9999, {1, 2, 3, 4, 5, 6, 7, 12, 100}, {100}},
      {25000, {0, 1, 2, 3, 4, 5, 6, 7, 9, 11, 12, 47, 82, 100}, {84, 93, 98, 100}},
      {250000,
       {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 16, 19, 23, 26, 30, 33,
        37, 40, 44, 47, 51, 54, 58, 61, 65, 68, 72, 75, 79, 82, 86, 89, 93, 96, 100},
       {8, 17, 25, 34, 42, 50, 59, 67, 76, 84, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    Bytes input(c.length);
    for (std::size_t i = 0; i < input.size(); ++i) {
      input[i] = static_cast<std::uint8_t>((i * i) % 13 + (i % 7 == 0 ? 200 : 0));
    }
    std::vector<std::int16_t> seen;
    const ProgressSink record = [&](std::int16_t p) { seen.push_back(p); };
    const Bytes container = EncodeContainer(input, record);
    EXPECT_EQ(seen, c.encode);
    seen.clear();
    EXPECT_EQ(DecodeContainer(container, record), input);
    EXPECT_EQ(seen, c.decode);
  }
}

TEST(HuffmanStreaming, PiecesMakeTheSameContainerAndData) {
  std::mt19937 rng(5);
  for (std::size_t size : {1u, 5000u, 400000u}) {
    for (int kind = 0; kind < 2; ++kind) {
      SCOPED_TRACE(std::to_string(size) + " kind " + std::to_string(kind));
      Bytes input(size);
      for (auto& byte : input) {
        const auto r = rng();
        byte = kind == 0 ? static_cast<std::uint8_t>(r) : static_cast<std::uint8_t>(r % 97 < 60 ? 0 : r);
      }
      Bytes joined;
      std::size_t pieces = 0;
      const ChunkSink collect = [&](std::span<const std::uint8_t> piece) {
        joined.insert(joined.end(), piece.begin(), piece.end());
        ++pieces;
      };
      EncodeContainerTo(input, collect);
      const Bytes container = EncodeContainer(input);
      EXPECT_EQ(joined, container);
      joined.clear();
      pieces = 0;
      DecodeContainerTo(container, collect);
      EXPECT_EQ(joined, input);
      // Large results come in several pieces, none of them the whole.
      if (size == 400000u) {
        EXPECT_GT(pieces, 2u);
      }
    }
  }
}

TEST(HuffmanHostile, FaultsByKind) {
  const Bytes abc = EncodeContainer(B("abc"));
  Bytes bigInput(5000);
  for (std::size_t i = 0; i < bigInput.size(); ++i) bigInput[i] = static_cast<std::uint8_t>("abcab"[i % 5]);
  const Bytes big = EncodeContainer(bigInput);
  auto changed = [](Bytes c, std::size_t at, std::uint8_t value) {
    c[at] = value;
    return c;
  };
  struct Case {
    const char* name;
    Bytes container;
    HuffmanFault fault;
  };
  const std::vector<Case> cases = {
      {"checksum altered", changed(abc, 4, 97), HuffmanFault::Checksum},
      {"third byte not 0 or 3", changed(abc, 2, '4'), HuffmanFault::Identification},
      {"no carriage return", changed(abc, 3, 10), HuffmanFault::Identification},
      {"no identification", B("MZ\x90\x00 plain file"), HuffmanFault::Identification},
      {"too short", B("HE"), HuffmanFault::Identification},
      {"empty", {}, HuffmanFault::Identification},
      {"header cut", Bytes(abc.begin(), abc.begin() + 8), HuffmanFault::CorruptTable},
      {"N zero", changed(abc, 9, 0), HuffmanFault::CorruptTable},
      {"N above 256", changed(changed(abc, 9, 1), 10, 1), HuffmanFault::CorruptTable},
      {"N negative", changed(changed(abc, 9, 0xFF), 10, 0xFF), HuffmanFault::CorruptTable},
      {"pairs past the end", changed(abc, 9, 200), HuffmanFault::CorruptTable},
      {"code length zero", changed(abc, 12, 0), HuffmanFault::CorruptTable},
      {"table past the end", changed(abc, 16, 200), HuffmanFault::CorruptTable},
      // c's code 0 and a's new code 0 collide: not a prefix code.
      {"not a prefix code", changed(abc, 17, 0x0C), HuffmanFault::CorruptTable},
      {"stored length above the data", changed(abc, 5, 40), HuffmanFault::CorruptData},
      {"stored length huge", changed(abc, 8, 0x7F), HuffmanFault::CorruptData},
      {"stored length negative", changed(abc, 8, 0x80), HuffmanFault::CorruptData},
      {"stored length zero", changed(abc, 5, 0), HuffmanFault::CorruptData},
      {"data truncated", Bytes(big.begin(), big.end() - 3), HuffmanFault::CorruptData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FaultOf(c.container), c.fault);
  }
}

TEST(HuffmanHostile, IncompleteCodeLeadsToAMissingChild) {
  // Two symbols with 2-bit codes 00 and 01: the branch 1x is missing.
  const Bytes container = {72, 69, 51, 13, 3, 2, 0, 0, 0, 2, 0, 97, 2, 98, 2, 0x08, 0x03};
  EXPECT_EQ(FaultOf(container), HuffmanFault::CorruptData);
  const Bytes valid = {72, 69, 51, 13, 3, 2, 0, 0, 0, 2, 0, 97, 2, 98, 2, 0x08, 0x08};
  EXPECT_EQ(DecodeContainer(valid), B("ab"));
}

TEST(HuffmanHostile, ErrorsCarryTheNumberAndTexts) {
  try {
    (void)DecodeContainer(B("nope"));
    FAIL();
  } catch (const HuffmanError& e) {
    EXPECT_EQ(e.number(), 0x80040000u);
    EXPECT_STREQ(e.source(), "HuffmanDecode()");
    EXPECT_STREQ(e.what(),
                 "The data either was not compressed with HE3 or is corrupt (identification string not found)");
  }
  EXPECT_STREQ(HuffmanFaultText(HuffmanFault::Checksum),
               "The data might be corrupted (checksum did not match expected value)");
}

TEST(HuffmanStrings, StringPairRoundTrips) {
  clsHuffman huffman;
  const std::string text = "Scanning in    :  C:\\ with some repeated repeated text";
  const std::string packed = huffman.EncodeString(text);
  EXPECT_EQ(packed.substr(0, 4), "HE3\r");
  EXPECT_EQ(huffman.DecodeString(packed), text);
}

}  // namespace
}  // namespace kestro::remedy
