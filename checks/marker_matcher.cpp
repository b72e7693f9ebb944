#include "checks/marker_matcher.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "checks/nul_free_text.hpp"

namespace kestro::checks {
namespace {

// NUL-free text is compacted and searched in pieces of this size (on the stack).
constexpr std::size_t kPiece = 16 * 1024;
// The prefilter is checked every so many candidates; when they came on average
// closer than kLeastUsefulSkip bytes apart, the automaton alone goes on faster.
constexpr std::size_t kCandidatesPerReview = 64;
constexpr std::size_t kLeastUsefulSkip = 6;

}  // namespace

// One search over a text given in consecutive pieces; the automaton's state
// carries over from piece to piece.
class MarkerMatcher::Search {
 public:
  Search(const MarkerMatcher& matcher, MarkerHits& hits)
      : automaton_(matcher.automaton_), prefilter_(matcher.prefilter_), hits_(hits),
        remaining_(matcher.searchedCount_) {}

  bool Done() const { return remaining_ == 0; }

  void Scan(const std::uint8_t* text, std::size_t size) {
    const std::uint32_t* table = automaton_.Table();
    const std::uint8_t* classes = automaton_.Classes();
    const std::uint32_t reporting = automaton_.FirstReporting();
    const std::uint32_t deepFrom = automaton_.DeepFrom();
    const std::size_t width = prefilter_.Width();
    std::uint32_t state = state_;
    // A marker under way from the previous piece may have begun anywhere in it.
    std::size_t restartFloor = 0;
    std::size_t i = 0;
    while (i < size && remaining_ != 0) {
      if (!skipping_) {
        for (; i < size; ++i) {
          state = table[state + classes[text[i]]];
          if (state >= reporting && Report(state)) break;
        }
        break;
      }
      if (state == MarkerAutomaton::kStart) {
        if (size - i >= width) {
          // No marker is under way: jump to where the next one may start.
          const std::size_t from = i;
          i = prefilter_.Next(text, i, size);
          Review(i - from);
          if (i >= size) break;
          restartFloor = i + 1;
          if (size - i >= width) {
            // A candidate: its first bytes cannot end a marker (none is shorter
            // than the fingerprint), so they need no tests.
            for (std::size_t k = 1; k < width; ++k) state = table[state + classes[text[i++]]];
          }
        } else {
          restartFloor = i + 1;
        }
      }
      // Follow the automaton while a marker is under way. When it falls back to
      // a marker's first few bytes, the prefilter can judge that position
      // again, from where the marker would have begun.
      do {
        state = table[state + classes[text[i++]]];
        if (state < deepFrom) {
          if (state == MarkerAutomaton::kStart) break;
          const std::size_t depth = automaton_.DepthOf(state);
          if (i >= restartFloor + depth && size - (i - depth) >= width) {
            i -= depth;
            state = MarkerAutomaton::kStart;
            break;
          }
        } else if (state >= reporting && Report(state)) {
          break;
        }
      } while (i < size);
    }
    state_ = state;
  }

 private:
  // Records the markers ending here; true when every marker has been found.
  bool Report(std::uint32_t state) {
    for (const std::uint32_t m : automaton_.Reported(state)) {
      if (!hits_[m]) {
        hits_.Set(m);
        --remaining_;
      }
    }
    return remaining_ == 0;
  }

  void Review(std::size_t skipped) {
    skippedBytes_ += skipped;
    if (++candidates_ < kCandidatesPerReview) return;
    if (skippedBytes_ < kCandidatesPerReview * kLeastUsefulSkip) skipping_ = false;
    candidates_ = 0;
    skippedBytes_ = 0;
  }

  const MarkerAutomaton& automaton_;
  const MarkerPrefilter& prefilter_;
  MarkerHits& hits_;
  std::size_t remaining_;
  std::uint32_t state_ = MarkerAutomaton::kStart;
  bool skipping_ = true;
  std::size_t candidates_ = 0;
  std::size_t skippedBytes_ = 0;
};

MarkerMatcher::MarkerMatcher(const std::vector<std::string>& markers, SearchKernel kernel)
    : markerCount_(markers.size()),
      prefilter_(markers, kernel),
      automaton_(markers, prefilter_.Width()) {
  for (std::size_t m = 0; m < markers.size(); ++m) {
    if (markers[m].empty()) {
      emptyMarkers_.push_back(static_cast<std::uint32_t>(m));
    } else {
      ++searchedCount_;
    }
  }
}

MarkerHits MarkerMatcher::Find(std::initializer_list<std::span<const std::uint8_t>> blocks, bool skipNul) const {
  MarkerHits hits(markerCount_);
  for (const std::uint32_t m : emptyMarkers_) hits.Set(m);
  Search search(*this, hits);
  if (!skipNul) {
    for (const auto& block : blocks) {
      if (search.Done()) break;
      search.Scan(block.data(), block.size());
    }
    return hits;
  }
  std::array<std::uint8_t, kPiece> compacted;
  for (const auto& block : blocks) {
    for (std::size_t offset = 0; offset < block.size() && !search.Done(); offset += kPiece) {
      const auto piece = block.subspan(offset, std::min(kPiece, block.size() - offset));
      // Most text has no NUL at all: such a piece is searched where it lies.
      if (std::memchr(piece.data(), 0, piece.size()) == nullptr) {
        search.Scan(piece.data(), piece.size());
      } else {
        search.Scan(compacted.data(), CopyWithoutNul(piece, compacted.data()));
      }
    }
  }
  return hits;
}

std::string MarkerBytes(std::initializer_list<int> bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const int b : bytes) out.push_back(static_cast<char>(static_cast<std::uint8_t>(b)));
  return out;
}

bool ContainsBytes(std::span<const std::uint8_t> data, std::string_view marker) {
  if (marker.empty()) return true;
  const auto* first = reinterpret_cast<const std::uint8_t*>(marker.data());
  return std::search(data.begin(), data.end(),
                     std::boyer_moore_horspool_searcher(first, first + marker.size())) != data.end();
}

}  // namespace kestro::checks
