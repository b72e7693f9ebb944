#include "checks/marker_automaton.hpp"

#include <array>
#include <optional>
#include <queue>

namespace kestro::checks {

MarkerAutomaton::MarkerAutomaton(const std::vector<std::string>& markers, std::size_t shallowDepth) {
  // Byte classes: bytes whose columns agree in every state lead everywhere to
  // the same place, so they share a class. A byte in no marker leads every
  // state back to the start, so all such bytes share one class; a byte in some
  // marker is a trie edge into a state no other byte enters (or that is deeper
  // than any state another byte reaches from there), so it is a class of its
  // own. Classes are numbered in byte order, by the first byte of each. Known
  // before the trie is built, they let it have one entry per class, not 256.
  std::array<bool, 256> used{};
  std::size_t stateBound = 1;
  for (const std::string& marker : markers) {
    for (const char c : marker) used[static_cast<std::uint8_t>(c)] = true;
    stateBound += marker.size();
  }
  classes_.assign(256, 0);
  std::size_t classCount = 0;
  std::optional<std::uint8_t> unusedClass;
  for (std::size_t b = 0; b < 256; ++b) {
    if (used[b]) {
      classes_[b] = static_cast<std::uint8_t>(classCount++);
    } else {
      if (!unusedClass) unusedClass = static_cast<std::uint8_t>(classCount++);
      classes_[b] = *unusedClass;
    }
  }
  classCount_ = classCount;

  // Trie with one row of classCount entries per state, room for the most
  // states these markers can make taken at once; 0 marks "no edge yet" (the
  // start state is never a child).
  std::vector<std::uint32_t> next;
  next.reserve(stateBound * classCount);
  next.resize(classCount, 0);
  std::vector<std::vector<std::uint32_t>> outputs(1);
  std::vector<std::size_t> depth(1, 0);
  for (std::size_t m = 0; m < markers.size(); ++m) {
    if (markers[m].empty()) continue;
    std::uint32_t state = 0;
    for (const char c : markers[m]) {
      const std::size_t edge = std::size_t{state} * classCount + classes_[static_cast<std::uint8_t>(c)];
      if (next[edge] == 0) {
        next[edge] = static_cast<std::uint32_t>(outputs.size());
        outputs.emplace_back();
        depth.push_back(depth[state] + 1);
        next.resize(next.size() + classCount, 0);
      }
      state = next[edge];
    }
    outputs[state].push_back(static_cast<std::uint32_t>(m));
  }
  const std::size_t states = outputs.size();

  // Breadth-first: failure links, merged outputs, and missing edges filled in,
  // which turns the trie into a complete automaton.
  std::vector<std::uint32_t> fail(states, 0);
  std::queue<std::uint32_t> pending;
  for (std::size_t c = 0; c < classCount; ++c) {
    if (next[c] != 0) pending.push(next[c]);
  }
  while (!pending.empty()) {
    const std::uint32_t state = pending.front();
    pending.pop();
    const auto& inherited = outputs[fail[state]];
    outputs[state].insert(outputs[state].end(), inherited.begin(), inherited.end());
    for (std::size_t c = 0; c < classCount; ++c) {
      const std::size_t edge = std::size_t{state} * classCount + c;
      const std::uint32_t viaFail = next[std::size_t{fail[state]} * classCount + c];
      if (next[edge] != 0) {
        fail[next[edge]] = viaFail;
        pending.push(next[edge]);
      } else {
        next[edge] = viaFail;
      }
    }
  }
  stateCount_ = states;

  // Renumber: the start state, the shallow silent states, the deep silent
  // states, the reporting states.
  std::vector<std::uint32_t> order{0};
  order.reserve(states);
  const auto shallow = [&](std::size_t s) { return outputs[s].empty() && depth[s] < shallowDepth; };
  for (std::size_t s = 1; s < states; ++s) {
    if (shallow(s)) order.push_back(static_cast<std::uint32_t>(s));
  }
  const std::size_t startAndShallow = order.size();
  for (std::size_t s = 1; s < states; ++s) {
    if (outputs[s].empty() && !shallow(s)) order.push_back(static_cast<std::uint32_t>(s));
  }
  const std::size_t silent = order.size();
  for (std::size_t s = 1; s < states; ++s) {
    if (!outputs[s].empty()) order.push_back(static_cast<std::uint32_t>(s));
  }
  std::vector<std::uint32_t> renumbered(states);
  for (std::size_t i = 0; i < states; ++i) renumbered[order[i]] = static_cast<std::uint32_t>(i * classCount_);
  firstReporting_ = static_cast<std::uint32_t>(silent * classCount_);
  deepFrom_ = static_cast<std::uint32_t>(startAndShallow * classCount_);
  shallowDepthOf_.assign(deepFrom_, 0);
  for (std::size_t i = 0; i < startAndShallow; ++i) {
    shallowDepthOf_[i * classCount_] = static_cast<std::uint8_t>(depth[order[i]]);
  }

  table_.resize(states * classCount_);
  for (std::size_t i = 0; i < states; ++i) {
    for (std::size_t c = 0; c < classCount_; ++c) {
      table_[i * classCount_ + c] = renumbered[next[std::size_t{order[i]} * classCount_ + c]];
    }
  }
  reportedBegin_.push_back(0);
  for (std::size_t i = silent; i < states; ++i) {
    const auto& out = outputs[order[i]];
    reported_.insert(reported_.end(), out.begin(), out.end());
    reportedBegin_.push_back(static_cast<std::uint32_t>(reported_.size()));
  }
}

std::span<const std::uint32_t> MarkerAutomaton::Reported(std::uint32_t state) const {
  const std::size_t index = (state - firstReporting_) / classCount_;
  return std::span<const std::uint32_t>(reported_).subspan(reportedBegin_[index],
                                                           reportedBegin_[index + 1] - reportedBegin_[index]);
}

}  // namespace kestro::checks
