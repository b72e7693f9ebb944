#pragma once
// The plain multi-marker search: one Aho-Corasick automaton with a full 256-entry
// row per state, walked over every byte. It is slow but simple enough to trust,
// so the fast MarkerMatcher is tested against it byte for byte (differential
// tests, the matcher fuzz target) and the benchmark prints both.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "checks/marker_matcher.hpp"

namespace kestro::checks {

class ReferenceMarkerMatcher {
 public:
  // Markers are byte strings (one char per byte); empty markers are found everywhere.
  explicit ReferenceMarkerMatcher(const std::vector<std::string>& markers);

  std::size_t Count() const { return markerCount_; }

  // Searches the blocks as one text, in order. With `skipNul`, NUL bytes are
  // removed from the text first (markers may then span the removed bytes).
  MarkerHits Find(std::initializer_list<std::span<const std::uint8_t>> blocks, bool skipNul) const;
  MarkerHits Find(std::span<const std::uint8_t> bytes, bool skipNul = false) const {
    return Find({bytes}, skipNul);
  }

 private:
  std::size_t markerCount_ = 0;
  std::vector<std::uint32_t> next_;                  // state * 256 + byte -> state
  std::vector<std::uint8_t> hasOutput_;              // per state
  std::vector<std::vector<std::uint32_t>> outputs_;  // per state: markers ending here
  std::vector<std::uint32_t> emptyMarkers_;
};

}  // namespace kestro::checks
