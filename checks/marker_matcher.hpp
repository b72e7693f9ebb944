#pragma once
// Finds which of a fixed set of byte markers occur in some bytes, in one pass
// over them (an Aho-Corasick automaton with a full transition table, built once
// per marker table). The checks then decide their rows, in the rows' order, from
// the set of markers found, which gives the same answers as searching each
// marker one after another.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::checks {

// Which markers were found, by the index they were given at construction.
class MarkerHits {
 public:
  explicit MarkerHits(std::size_t count = 0) : found_(count, false) {}
  bool operator[](std::size_t index) const { return found_[index]; }
  void Set(std::size_t index) { found_[index] = true; }

 private:
  std::vector<bool> found_;
};

class MarkerMatcher {
 public:
  // Markers are byte strings (one char per byte); empty markers are found everywhere.
  explicit MarkerMatcher(const std::vector<std::string>& markers);

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

// Bytes of a marker given by value (for markers that are not printable text).
std::string MarkerBytes(std::initializer_list<int> bytes);

// Plain substring test on byte texts.
bool ContainsBytes(std::span<const std::uint8_t> data, std::string_view marker);

}  // namespace kestro::checks
