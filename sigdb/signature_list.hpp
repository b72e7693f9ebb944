#pragma once
// A pair of parallel lists filled from one signature database file: detection
// names and signature texts. Entries are 1-based, keep file order, and are never
// removed; duplicates stay. A lookup answers the first entry whose signature text
// equals the given text exactly (case-sensitive), in constant time through an
// index kept beside the lists.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
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
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::vector<std::string> names_;
  std::vector<std::string> signatures_;
  std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> firstIndex_;
};

// The three lists the program loads at start: the file-checksum list (DB_0x), the
// section-head list (DB_1x) and the icon list (DB_2x).
struct SignatureLists {
  SignatureList fileChecksums;
  SignatureList sectionHeads;
  SignatureList icons;
};

}  // namespace kestro::sigdb
