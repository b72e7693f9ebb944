#pragma once
// Finds which of a fixed set of byte markers occur in some bytes, in one pass
// over them, built once per marker table. The checks then decide their rows, in
// the rows' order, from the set of markers found, which gives the same answers as
// searching each marker one after another.
//
// The search skips the bytes where no marker can start (MarkerPrefilter, vector
// code where the processor has it) and runs a compact automaton
// (MarkerAutomaton) from each candidate until it is back at its start state, so
// on executable data it moves at close to memory speed. Text searched without
// its NUL bytes is compacted piece by piece first (CopyWithoutNul).

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "checks/marker_automaton.hpp"
#include "checks/marker_prefilter.hpp"

namespace kestro::checks {

// Which markers were found, by the index they were given at construction.
class MarkerHits {
 public:
  explicit MarkerHits(std::size_t count = 0) : found_(count, false) {}
  bool operator[](std::size_t index) const { return found_[index]; }
  void Set(std::size_t index) { found_[index] = true; }
  bool operator==(const MarkerHits&) const = default;

 private:
  std::vector<bool> found_;
};

class MarkerMatcher {
 public:
  // Markers are byte strings (one char per byte); empty markers are found
  // everywhere. `kernel` is for tests and benchmarks that compare kernels.
  explicit MarkerMatcher(const std::vector<std::string>& markers, SearchKernel kernel = BestSearchKernel());

  std::size_t Count() const { return markerCount_; }
  SearchKernel Kernel() const { return prefilter_.Kernel(); }

  // Searches the blocks as one text, in order. With `skipNul`, NUL bytes are
  // removed from the text first (markers may then span the removed bytes).
  MarkerHits Find(std::initializer_list<std::span<const std::uint8_t>> blocks, bool skipNul) const;
  MarkerHits Find(std::span<const std::uint8_t> bytes, bool skipNul = false) const {
    return Find({bytes}, skipNul);
  }

 private:
  class Search;

  std::size_t markerCount_ = 0;
  std::size_t searchedCount_ = 0;  // markers that are not empty
  std::vector<std::uint32_t> emptyMarkers_;
  MarkerPrefilter prefilter_;
  MarkerAutomaton automaton_;  // its shallow states are those within the prefilter's width
};

// Bytes of a marker given by value (for markers that are not printable text).
std::string MarkerBytes(std::initializer_list<int> bytes);

// Plain substring test on byte texts.
bool ContainsBytes(std::span<const std::uint8_t> data, std::string_view marker);

}  // namespace kestro::checks
