#include "sigdb/substitution.hpp"

#include <array>

namespace kestro::sigdb {
namespace {

using Table = std::array<char, 256>;

constexpr Table MakeForward() {
  Table t{};
  for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<char>(i);
  for (std::size_t k = 0; k < 26; ++k) t[static_cast<std::size_t>('A') + k] = kSubstitutionTarget[k];
  return t;
}

constexpr Table MakeInverse() {
  Table t{};
  for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<char>(i);
  for (std::size_t k = 0; k < 26; ++k)
    t[static_cast<unsigned char>(kSubstitutionTarget[k])] = static_cast<char>('A' + k);
  return t;
}

constexpr Table kForward = MakeForward();
constexpr Table kInverse = MakeInverse();

constexpr Table MakeTwice() {
  Table t{};
  for (std::size_t i = 0; i < 256; ++i) t[i] = kForward[static_cast<unsigned char>(kForward[i])];
  return t;
}
constexpr Table kTwice = MakeTwice();

// The target must be a permutation of the capital letters, or records cannot round-trip.
constexpr bool IsPermutation() {
  if (kSubstitutionTarget.size() != 26) return false;
  std::array<bool, 26> seen{};
  for (const char c : kSubstitutionTarget) {
    if (c < 'A' || c > 'Z' || seen[static_cast<std::size_t>(c - 'A')]) return false;
    seen[static_cast<std::size_t>(c - 'A')] = true;
  }
  return true;
}
static_assert(IsPermutation());

std::string Apply(const Table& table, std::string_view text) {
  std::string out(text);
  for (char& c : out) c = table[static_cast<unsigned char>(c)];
  return out;
}

}  // namespace

std::string Substitute(std::string_view text) { return Apply(kForward, text); }
std::string Unsubstitute(std::string_view text) { return Apply(kInverse, text); }
std::string SubstituteRecord(std::string_view text) { return Apply(kTwice, text); }
void SubstituteRecordInPlace(std::string& text) {
  for (char& c : text) c = kTwice[static_cast<unsigned char>(c)];
}
std::string UnsubstituteRecord(std::string_view text) { return Unsubstitute(Unsubstitute(text)); }

}  // namespace kestro::sigdb
