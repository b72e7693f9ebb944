#include "checks/marker_matcher_reference.hpp"

#include <queue>

namespace kestro::checks {

ReferenceMarkerMatcher::ReferenceMarkerMatcher(const std::vector<std::string>& markers) : markerCount_(markers.size()) {
  // Trie with a full transition table; 0 marks "no edge yet" (the root is never a child).
  next_.assign(256, 0);
  outputs_.emplace_back();
  for (std::size_t m = 0; m < markers.size(); ++m) {
    if (markers[m].empty()) {
      emptyMarkers_.push_back(static_cast<std::uint32_t>(m));
      continue;
    }
    std::uint32_t state = 0;
    for (const char c : markers[m]) {
      const std::size_t edge = std::size_t{state} * 256 + static_cast<std::uint8_t>(c);
      if (next_[edge] == 0) {
        next_[edge] = static_cast<std::uint32_t>(outputs_.size());
        outputs_.emplace_back();
        next_.resize(next_.size() + 256, 0);
      }
      state = next_[edge];
    }
    outputs_[state].push_back(static_cast<std::uint32_t>(m));
  }

  // Breadth-first: failure links, merged outputs, and missing edges filled in.
  std::vector<std::uint32_t> fail(outputs_.size(), 0);
  std::queue<std::uint32_t> pending;
  for (std::size_t b = 0; b < 256; ++b) {
    if (next_[b] != 0) pending.push(next_[b]);
  }
  while (!pending.empty()) {
    const std::uint32_t state = pending.front();
    pending.pop();
    const auto& inherited = outputs_[fail[state]];
    outputs_[state].insert(outputs_[state].end(), inherited.begin(), inherited.end());
    for (std::size_t b = 0; b < 256; ++b) {
      const std::size_t edge = std::size_t{state} * 256 + b;
      const std::uint32_t viaFail = next_[std::size_t{fail[state]} * 256 + b];
      if (next_[edge] != 0) {
        fail[next_[edge]] = viaFail;
        pending.push(next_[edge]);
      } else {
        next_[edge] = viaFail;
      }
    }
  }
  hasOutput_.resize(outputs_.size());
  for (std::size_t s = 0; s < outputs_.size(); ++s) hasOutput_[s] = outputs_[s].empty() ? 0 : 1;
}

MarkerHits ReferenceMarkerMatcher::Find(std::initializer_list<std::span<const std::uint8_t>> blocks,
                                        bool skipNul) const {
  MarkerHits hits(markerCount_);
  for (const std::uint32_t m : emptyMarkers_) hits.Set(m);
  const std::uint32_t* table = next_.data();
  const std::uint8_t* output = hasOutput_.data();
  std::uint32_t state = 0;
  for (const auto& block : blocks) {
    for (const std::uint8_t byte : block) {
      if (skipNul && byte == 0) continue;
      state = table[std::size_t{state} * 256 + byte];
      if (output[state]) {
        for (const std::uint32_t m : outputs_[state]) hits.Set(m);
      }
    }
  }
  return hits;
}

}  // namespace kestro::checks
