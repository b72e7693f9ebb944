// The fast marker search (prefilter, compact automaton, NUL compaction) must give
// exactly the reference automaton's answers, with every search kernel this
// processor runs: on random marker tables, on the check families' own tables
// over text-like and executable-like bytes, and where pieces, blocks and vector
// chunks meet.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "checks/marker_matcher.hpp"
#include "checks/marker_matcher_reference.hpp"
#include "checks/script_checks.hpp"
#include "checks/win32_family_check.hpp"
#include "tests/checks/detection_test_util.hpp"

namespace kestro::test {
namespace {

using checks::MarkerHits;
using checks::MarkerMatcher;
using checks::ReferenceMarkerMatcher;
using checks::SearchKernel;
using Blocks = std::vector<ByteVec>;

std::string Show(const MarkerHits& hits, std::size_t count) {
  std::string out;
  for (std::size_t m = 0; m < count; ++m) out.push_back(hits[m] ? '1' : '0');
  return out;
}

// The reference and one fast matcher per kernel over the same table.
struct MatcherSet {
  explicit MatcherSet(const std::vector<std::string>& table) : markers(table), reference(table) {
    for (const SearchKernel kernel : checks::SupportedSearchKernels()) fast.emplace_back(table, kernel);
  }
  std::vector<std::string> markers;
  ReferenceMarkerMatcher reference;
  std::vector<MarkerMatcher> fast;
};

// Searches the blocks with the reference and with every kernel; failures name the case.
void ExpectAgreement(const MatcherSet& set, const Blocks& blocks, bool skipNul, const std::string& label) {
  std::vector<std::span<const std::uint8_t>> spans(blocks.begin(), blocks.end());
  while (spans.size() < 3) spans.emplace_back();
  const std::size_t count = set.markers.size();
  const MarkerHits expected = set.reference.Find({spans[0], spans[1], spans[2]}, skipNul);
  for (const MarkerMatcher& matcher : set.fast) {
    const MarkerHits found = matcher.Find({spans[0], spans[1], spans[2]}, skipNul);
    EXPECT_EQ(Show(found, count), Show(expected, count))
        << label << ", kernel " << checks::SearchKernelName(matcher.Kernel()) << ", skipNul " << skipNul;
  }
}

void ExpectAgreement(const std::vector<std::string>& markers, const Blocks& blocks, bool skipNul,
                     const std::string& label) {
  ExpectAgreement(MatcherSet(markers), blocks, skipNul, label);
}

TEST(MarkerMatcherDifferential, EveryKernelThisProcessorRunsIsUsed) {
  const MatcherSet set({"abc"});
  ASSERT_EQ(set.fast.size(), checks::SupportedSearchKernels().size());
  for (std::size_t i = 0; i < set.fast.size(); ++i) EXPECT_EQ(set.fast[i].Kernel(), checks::SupportedSearchKernels()[i]);
}

ByteVec RandomBytes(std::mt19937& random, std::size_t length, std::string_view alphabet) {
  ByteVec out(length);
  for (auto& b : out) {
    b = alphabet.empty() ? static_cast<std::uint8_t>(random()) : static_cast<std::uint8_t>(alphabet[random() % alphabet.size()]);
  }
  return out;
}

// Cuts the bytes into one to three blocks at random places.
Blocks Split(std::mt19937& random, const ByteVec& bytes) {
  Blocks out;
  std::size_t from = 0;
  const std::size_t parts = 1 + random() % 3;
  for (std::size_t p = 1; p < parts; ++p) {
    const std::size_t cut = from + (bytes.size() - from == 0 ? 0 : random() % (bytes.size() - from + 1));
    out.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    from = cut;
  }
  out.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
  return out;
}

// Writes the marker at `offset`, with a run of NULs after some of its bytes when asked.
void PlantWithNul(std::mt19937& random, ByteVec& bytes, std::size_t offset, const std::string& marker, bool nul) {
  ByteVec piece;
  for (const char c : marker) {
    piece.push_back(static_cast<std::uint8_t>(c));
    if (nul && random() % 3 == 0) piece.insert(piece.end(), 1 + random() % 3, 0);
  }
  if (offset > bytes.size()) offset = bytes.size();
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(offset), piece.begin(), piece.end());
}

std::vector<std::string> ScriptTable(const std::vector<checks::ScriptGroup>& groups) {
  std::vector<std::string> out;
  for (const auto& g : groups) out.insert(out.end(), g.markers.begin(), g.markers.end());
  return out;
}

std::vector<std::string> Win32Table() {
  std::vector<std::string> out;
  for (const auto& row : checks::Win32FamilyRows()) out.insert(out.end(), row.markers.begin(), row.markers.end());
  return out;
}

TEST(MarkerMatcherDifferential, RandomTablesOverSmallAlphabets) {
  std::mt19937 random(19);
  const std::string alphabet("abcA\0\x88", 6);
  for (int round = 0; round < 1500; ++round) {
    std::vector<std::string> markers(1 + random() % 12);
    for (auto& m : markers) {
      const ByteVec bytes = RandomBytes(random, random() % 7, round % 5 == 0 ? "" : alphabet);
      m.assign(bytes.begin(), bytes.end());
    }
    if (round % 7 == 0) markers.push_back(markers.front());  // the same marker under two indexes
    const std::size_t length = round % 50 == 0 ? 20000 + random() % 20000 : random() % 300;
    ByteVec text = RandomBytes(random, length, round % 5 == 1 ? "" : alphabet);
    const bool skipNul = random() % 2 == 0;
    if (!markers.back().empty() && random() % 2 == 0) {
      PlantWithNul(random, text, random() % (text.size() + 1), markers.back(), skipNul);
    }
    ExpectAgreement(markers, Split(random, text), skipNul, "round " + std::to_string(round));
    if (HasFailure()) return;
  }
}

TEST(MarkerMatcherDifferential, CheckTablesOverTextAndExecutableBytes) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> tables = {
      {"general", ScriptTable(checks::GeneralScriptGroups())},
      {"php", ScriptTable(checks::PhpGroups())},
      {"win32", Win32Table()},
      {"autorun", {"[autorun]", "shell", ".pif", ".bat", "open\\command", "explore\\command", "wscript.exe"}},
  };
  const std::string textAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ .\\%$@()=\r\n";
  std::mt19937 random(4);
  for (const auto& [name, markers] : tables) {
    const MatcherSet set(markers);
    for (int round = 0; round < 120; ++round) {
      const std::size_t length = random() % 4 == 0 ? 16384 + random() % 40000 : random() % 5000;
      ByteVec text = RandomBytes(random, length, round % 2 == 0 ? std::string_view(textAlphabet) : "");
      const bool skipNul = round % 3 != 0;
      const std::size_t planted = random() % 4;
      for (std::size_t p = 0; p < planted; ++p) {
        const std::string& marker = markers[random() % markers.size()];
        // Some at the edges of the vector chunks and of the NUL-free pieces.
        const std::size_t edges[] = {0, 15, 16, 31, 32, 16383, 16384, text.size()};
        const std::size_t at = random() % 2 == 0 ? edges[random() % 8] : random() % (text.size() + 1);
        PlantWithNul(random, text, at, marker, skipNul && random() % 2 == 0);
      }
      ExpectAgreement(set, Split(random, text), skipNul, name + " round " + std::to_string(round));
      if (HasFailure()) return;
    }
  }
}

TEST(MarkerMatcherDifferential, MarkersWhereBlocksPiecesAndChunksMeet) {
  const MatcherSet markers({"TASKKILL", "REG ADD", "xy", "q"});
  for (std::size_t cut = 0; cut <= 8; ++cut) {
    // A marker split over two blocks at every possible place.
    const std::string left = std::string(100, '.') + std::string("TASKKILL").substr(0, cut);
    const std::string right = std::string("TASKKILL").substr(cut) + std::string(100, '.');
    ExpectAgreement(markers, {ToBytes(left), ToBytes(right)}, false, "block cut " + std::to_string(cut));
  }
  for (std::size_t end = 16370; end <= 16400; ++end) {
    // A marker ending around the 16 KiB piece boundary, NULs inside it.
    ByteVec text(end - 7, '.');
    const ByteVec marker = ToBytes(std::string("REG\0 A\0DD", 9));
    text.insert(text.end(), marker.begin(), marker.end());
    text.insert(text.end(), 40, '.');
    ExpectAgreement(markers, {text}, true, "piece end " + std::to_string(end));
  }
  for (std::size_t length = 0; length <= 70; ++length) {
    // The last bytes of the text, where the vector kernels hand over to the scalar one.
    ByteVec text(length, '.');
    if (length >= 2) Place(text, length - 2, "xy");
    if (length >= 1) Place(text, length - 1, "q");
    ExpectAgreement(markers, {text}, false, "length " + std::to_string(length));
  }
}

TEST(MarkerMatcherDifferential, DenseCandidatesStillFindTheLateMarker) {
  // Nearly every byte starts a candidate, so the search gives up the prefilter
  // part-way; the marker at the very end must still be found.
  const MatcherSet markers({"TASKKILL", "TASKS", "TTT"});
  std::string text;
  while (text.size() < 50000) text += "TASKKIL TASK TT ";
  ExpectAgreement(markers, {ToBytes(text + "TASKKILL")}, false, "dense, marker at end");
  ExpectAgreement(markers, {ToBytes(text)}, true, "dense, no marker");
}

}  // namespace
}  // namespace kestro::test
