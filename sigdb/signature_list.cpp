#include "sigdb/signature_list.hpp"

namespace kestro::sigdb {

void SignatureList::Append(std::string name, std::string signature) {
  names_.push_back(std::move(name));
  signatures_.push_back(std::move(signature));
  if ((indexed_ + 1) * 2 > slots_.size()) Grow((indexed_ + 1) * 2);
  const std::string& text = signatures_.back();
  const std::size_t hash = HashOf(text);
  const std::size_t at = Probe(text, hash);
  // An equal text already indexed keeps its slot: the first entry wins.
  if (slots_[at].entry != 0) return;
  slots_[at] = {static_cast<std::uint32_t>(signatures_.size()), static_cast<std::uint32_t>(hash)};
  ++indexed_;
}

void SignatureList::Reserve(std::size_t count) {
  names_.reserve(count);
  signatures_.reserve(count);
  if (count * 2 > slots_.size()) Grow(count * 2);
}

void SignatureList::Clear() {
  names_.clear();
  signatures_.clear();
  slots_.clear();
  indexed_ = 0;
}

void SignatureList::Grow(std::size_t minimumSlots) {
  std::size_t size = 16;
  while (size < minimumSlots) size *= 2;
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(size, Slot{});
  const std::size_t mask = size - 1;
  for (const Slot& s : old) {
    if (s.entry == 0) continue;
    // Entries already indexed are distinct texts: only an empty slot is needed.
    std::size_t at = s.hash & mask;
    while (slots_[at].entry != 0) at = (at + 1) & mask;
    slots_[at] = s;
  }
}

std::size_t SignatureList::Probe(std::string_view text, std::size_t hash) const {
  // The stored hash keeps only 32 bits, so the probe start uses those same bits.
  const std::size_t mask = slots_.size() - 1;
  const auto hash32 = static_cast<std::uint32_t>(hash);
  std::size_t at = hash32 & mask;
  while (slots_[at].entry != 0) {
    if (slots_[at].hash == hash32 && signatures_[slots_[at].entry - 1] == text) return at;
    at = (at + 1) & mask;
  }
  return at;
}

std::size_t SignatureList::Find(std::string_view signature) const {
  if (slots_.empty()) return 0;
  return slots_[Probe(signature, HashOf(signature))].entry;
}

std::string_view SignatureList::NameOf(std::string_view signature) const {
  const std::size_t k = Find(signature);
  return k == 0 ? std::string_view() : std::string_view(names_[k - 1]);
}

}  // namespace kestro::sigdb
