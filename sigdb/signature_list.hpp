#pragma once
// A pair of parallel lists filled from one signature database file: detection
// names and signature texts. Entries are 1-based, keep file order, and are never
// removed; duplicates stay. A lookup answers the first entry whose signature text
// equals the given text exactly (case-sensitive), in constant time through an
// index kept beside the lists.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::sigdb {

class SignatureList {
 public:
  void Append(std::string name, std::string signature);
  void Clear();
  // Room for `count` entries in all, so that a loader that knows its size fills the
  // lists without regrowing them.
  void Reserve(std::size_t count);

  std::size_t Count() const { return names_.size(); }
  bool Empty() const { return names_.empty(); }

  // 1-based access; k must be in 1..Count().
  const std::string& Name(std::size_t k) const { return names_.at(k - 1); }
  const std::string& Signature(std::size_t k) const { return signatures_.at(k - 1); }

  // 1-based index of the first entry with this signature text, or 0.
  std::size_t Find(std::string_view signature) const;

  // Detection name of the first entry with this signature text, or "" when none.
  std::string_view NameOf(std::string_view signature) const;

  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Signatures() const { return signatures_; }

 private:
  // Open-addressing index over signatures_: each used slot holds a 1-based entry
  // number and the low bits of its text's hash. Only the first entry of each
  // distinct text is indexed. No node allocations and no copies of the texts.
  struct Slot {
    std::uint32_t entry = 0;  // 0: empty
    std::uint32_t hash = 0;
  };
  static std::size_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }
  void Grow(std::size_t minimumSlots);
  // Slot holding `text`, or the empty slot where it would go.
  std::size_t Probe(std::string_view text, std::size_t hash) const;

  std::vector<std::string> names_;
  std::vector<std::string> signatures_;
  std::vector<Slot> slots_;  // size 0 or a power of two, kept at most half full
  std::size_t indexed_ = 0;  // used slots
};

// The three lists the program loads at start: the file-checksum list (DB_0x), the
// section-head list (DB_1x) and the icon list (DB_2x).
struct SignatureLists {
  SignatureList fileChecksums;
  SignatureList sectionHeads;
  SignatureList icons;
};

}  // namespace kestro::sigdb
