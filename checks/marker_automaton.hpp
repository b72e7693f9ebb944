#pragma once
// A compact Aho-Corasick automaton over a marker table: bytes are first mapped
// to classes (all bytes that no state tells apart share one), and state numbers
// are stored premultiplied by the class count, so one step is a single load
// `next = table[state + byteClass[byte]]`. States are numbered in four runs:
// the start state, the shallow states (fewer than a given number of bytes
// into a marker), the other silent states, and the states that end a marker,
// so "is this state shallow" and "does it report something" are one comparison
// each.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestro::checks {

class MarkerAutomaton {
 public:
  // Empty markers are left out (they need no search); their indexes stay reserved.
  // States less than `shallowDepth` bytes into a marker are shallow.
  MarkerAutomaton(const std::vector<std::string>& markers, std::size_t shallowDepth);

  // The start state, reached again whenever no marker prefix ends at the current byte.
  static constexpr std::uint32_t kStart = 0;

  std::uint32_t Step(std::uint32_t state, std::uint8_t byte) const { return table_[state + classes_[byte]]; }
  const std::uint32_t* Table() const { return table_.data(); }
  const std::uint8_t* Classes() const { return classes_.data(); }

  // States below this value are the start state or shallow ones.
  std::uint32_t DeepFrom() const { return deepFrom_; }
  // How many bytes into a marker a shallow state is (0 for the start state).
  std::size_t DepthOf(std::uint32_t shallowState) const { return shallowDepthOf_[shallowState]; }
  // States at or above this value end at least one marker.
  std::uint32_t FirstReporting() const { return firstReporting_; }
  // Indexes of the markers ending at a reporting state (inherited ones included).
  std::span<const std::uint32_t> Reported(std::uint32_t state) const;

  std::size_t StateCount() const { return stateCount_; }
  std::size_t ClassCount() const { return classCount_; }

 private:
  std::vector<std::uint8_t> classes_;         // byte -> class
  std::vector<std::uint32_t> table_;          // premultiplied state + class -> premultiplied state
  std::uint32_t deepFrom_ = 0;
  std::uint32_t firstReporting_ = 0;
  std::vector<std::uint8_t> shallowDepthOf_;  // by premultiplied state, below deepFrom_
  std::vector<std::uint32_t> reportedBegin_;  // per reporting state (index from firstReporting), plus one
  std::vector<std::uint32_t> reported_;
  std::size_t stateCount_ = 0;
  std::size_t classCount_ = 0;
};

}  // namespace kestro::checks
