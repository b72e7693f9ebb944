// Differential fuzzing of the marker search: the fast search, with every kernel
// this processor runs, must find exactly the markers the reference automaton
// finds. The input chooses the marker table (its own markers, or one of the
// check families' tables), NUL skipping, and how the text is cut into blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "checks/marker_matcher.hpp"
#include "checks/marker_matcher_reference.hpp"
#include "checks/script_checks.hpp"
#include "checks/win32_family_check.hpp"

namespace {

using kestro::checks::MarkerHits;
using kestro::checks::MarkerMatcher;
using kestro::checks::ReferenceMarkerMatcher;

std::vector<std::string> FamilyTable(int which) {
  std::vector<std::string> out;
  if (which == 1) {
    for (const auto& g : kestro::checks::GeneralScriptGroups()) out.insert(out.end(), g.markers.begin(), g.markers.end());
  } else if (which == 2) {
    for (const auto& r : kestro::checks::Win32FamilyRows()) out.insert(out.end(), r.markers.begin(), r.markers.end());
  } else {
    for (const auto& g : kestro::checks::PhpGroups()) out.insert(out.end(), g.markers.begin(), g.markers.end());
  }
  return out;
}

// Matchers of the family tables are built once.
struct Prebuilt {
  std::vector<std::string> markers;
  ReferenceMarkerMatcher reference;
  std::vector<MarkerMatcher> fast;
  explicit Prebuilt(std::vector<std::string> table) : markers(std::move(table)), reference(markers) {
    for (const auto kernel : kestro::checks::SupportedSearchKernels()) fast.emplace_back(markers, kernel);
  }
};

void Compare(const ReferenceMarkerMatcher& reference, const std::vector<MarkerMatcher>& fast, std::size_t count,
             std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, std::span<const std::uint8_t> c,
             bool skipNul) {
  const MarkerHits expected = reference.Find({a, b, c}, skipNul);
  for (const MarkerMatcher& matcher : fast) {
    const MarkerHits found = matcher.Find({a, b, c}, skipNul);
    for (std::size_t m = 0; m < count; ++m) {
      if (found[m] != expected[m]) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t flags = data[0];
  const bool skipNul = (flags & 1) != 0;
  const int table = (flags >> 1) & 3;
  std::size_t at = 1;
  std::vector<std::string> own;
  if (table == 0) {
    const std::size_t count = 1 + ((flags >> 3) & 15);
    for (std::size_t m = 0; m < count && at < size; ++m) {
      const std::size_t length = data[at++] % 12;
      const std::size_t taken = std::min(length, size - at);
      own.emplace_back(reinterpret_cast<const char*>(data + at), taken);
      at += taken;
    }
  }
  if (size - at < 2) return 0;
  const std::size_t cut1 = data[at];
  const std::size_t cut2 = data[at + 1];
  at += 2;
  const std::span<const std::uint8_t> text(data + at, size - at);
  const std::size_t first = std::min(cut1 * 4, text.size());
  const std::size_t second = std::min(first + cut2 * 4, text.size());
  const auto a = text.first(first);
  const auto b = text.subspan(first, second - first);
  const auto c = text.subspan(second);

  if (table == 0) {
    const Prebuilt built(own);
    Compare(built.reference, built.fast, own.size(), a, b, c, skipNul);
  } else {
    static const Prebuilt general(FamilyTable(1));
    static const Prebuilt win32(FamilyTable(2));
    static const Prebuilt php(FamilyTable(3));
    const Prebuilt& built = table == 1 ? general : table == 2 ? win32 : php;
    Compare(built.reference, built.fast, built.markers.size(), a, b, c, skipNul);
  }
  return 0;
}
