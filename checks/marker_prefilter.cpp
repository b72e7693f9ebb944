#include "checks/marker_prefilter.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <set>

namespace kestro::checks {
namespace {

constexpr std::size_t kMaxWidth = 4;
constexpr std::size_t kBuckets = 8;
// A chance of a false candidate per position this low makes more fingerprint bytes not worth their cost.
constexpr double kRareEnough = 1.0 / 1024;

SearchKernel DetectKernel() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (prefilter_kernels::Avx2(1) != nullptr && __builtin_cpu_supports("avx2")) return SearchKernel::Avx2;
  if (prefilter_kernels::Ssse3(1) != nullptr && __builtin_cpu_supports("ssse3")) return SearchKernel::Ssse3;
#endif
  return SearchKernel::Scalar;
}

// Rough share of a byte value in the data searched, for choosing the width and
// placing fingerprints in buckets: plain text (the tables with many markers are
// the script tables), but no byte rarer than in random data.
double Frequency(std::uint8_t byte) {
  double weight = 0.05;
  if (byte >= 'a' && byte <= 'z') weight = 4;
  else if (byte == ' ') weight = 12;
  else if (byte >= 'A' && byte <= 'Z') weight = 1;
  else if (byte >= '0' && byte <= '9') weight = 1;
  else if (byte > ' ' && byte < 0x7F) weight = 0.5;
  else if (byte == '\r' || byte == '\n' || byte == '\t') weight = 1;
  return std::max(weight / 180.0, 1.0 / 256.0);
}

// Frequency by high and low nibble, computed once: choosing the layout asks
// for it hundreds of thousands of times.
const std::array<std::array<double, 16>, 16>& FrequencyByNibbles() {
  static const auto table = [] {
    std::array<std::array<double, 16>, 16> t{};
    for (unsigned b = 0; b < 256; ++b) t[b >> 4][b & 0x0F] = Frequency(static_cast<std::uint8_t>(b));
    return t;
  }();
  return table;
}

// The nibble sets of one bucket, position by position.
struct Bucket {
  std::array<std::uint16_t, kMaxWidth> low{};
  std::array<std::uint16_t, kMaxWidth> high{};
  bool used = false;

  void Add(const std::string& fingerprint, std::size_t width) {
    used = true;
    for (std::size_t k = 0; k < width; ++k) {
      const auto byte = static_cast<std::uint8_t>(fingerprint[k]);
      low[k] = static_cast<std::uint16_t>(low[k] | (1u << (byte & 0x0F)));
      high[k] = static_cast<std::uint16_t>(high[k] | (1u << (byte >> 4)));
    }
  }
  // Chance that a position passes this bucket's masks.
  double FalseChance(std::size_t width) const {
    if (!used) return 0;
    const auto& frequency = FrequencyByNibbles();
    double chance = 1;
    for (std::size_t k = 0; k < width; ++k) {
      double admitted = 0;
      for (unsigned l = 0; l < 16; ++l) {
        if (((static_cast<unsigned>(low[k]) >> l) & 1u) == 0) continue;
        for (unsigned h = 0; h < 16; ++h) {
          if (((static_cast<unsigned>(high[k]) >> h) & 1u) != 0) admitted += frequency[h][l];
        }
      }
      chance *= admitted;
    }
    return chance;
  }
};

// Fingerprints of one width spread over the buckets: each goes, likeliest
// first, to the bucket where it raises the chance of a false candidate least,
// so fingerprints alike in case and shape end up together. Returns the
// estimated chance that a position is a false candidate.
double Layout(const std::vector<std::string>& markers, std::size_t width, PrefilterTables& tables) {
  tables = PrefilterTables{};
  tables.width = width;
  std::set<std::string> fingerprints;
  for (const std::string& m : markers) {
    if (!m.empty()) fingerprints.insert(m.substr(0, width));
  }
  const auto chanceOf = [&](const std::string& f) {
    double p = 1;
    for (std::size_t k = 0; k < width; ++k) p *= Frequency(static_cast<std::uint8_t>(f[k]));
    return p;
  };
  std::vector<std::string> order(fingerprints.begin(), fingerprints.end());
  std::stable_sort(order.begin(), order.end(),
                   [&](const std::string& a, const std::string& b) { return chanceOf(a) > chanceOf(b); });
  std::array<Bucket, kBuckets> buckets{};
  std::array<double, kBuckets> chances{};
  for (const std::string& f : order) {
    std::size_t best = 0;
    double bestGrowth = 0;
    double bestChance = 0;
    for (std::size_t b = 0; b < kBuckets; ++b) {
      Bucket widened = buckets[b];
      widened.Add(f, width);
      const double chance = widened.FalseChance(width);
      if (b == 0 || chance - chances[b] < bestGrowth) {
        best = b;
        bestGrowth = chance - chances[b];
        bestChance = chance;
      }
    }
    buckets[best].Add(f, width);
    chances[best] = bestChance;
    const auto bit = static_cast<std::uint8_t>(1u << best);
    for (std::size_t k = 0; k < width; ++k) {
      const auto byte = static_cast<std::uint8_t>(f[k]);
      tables.low[k][byte & 0x0F] |= bit;
      tables.high[k][byte >> 4] |= bit;
      tables.exact[k][byte] |= bit;
    }
  }
  double total = 0;
  for (const double c : chances) total += c;
  return total;
}

template <std::size_t Width>
std::uint8_t ScalarBuckets(const PrefilterTables& t, const std::uint8_t* at) {
  std::uint8_t buckets = t.exact[0][at[0]];
  if constexpr (Width > 1) buckets &= t.exact[1][at[1]];
  if constexpr (Width > 2) buckets &= t.exact[2][at[2]];
  if constexpr (Width > 3) buckets &= t.exact[3][at[3]];
  return buckets;
}

template <std::size_t Width>
std::size_t NextScalarOf(const PrefilterTables& t, const std::uint8_t* p, std::size_t from, std::size_t end) {
  const std::size_t last = end - Width;
  std::size_t i = from;
  // Every fingerprint byte is looked up before the one test per position: in
  // text, where a marker's first byte is common, a test on it alone would
  // often be mispredicted.
  for (; i <= last; ++i) {
    if (ScalarBuckets<Width>(t, p + i) != 0) return i;
  }
  return last + 1;
}

}  // namespace

namespace prefilter_kernels {

std::size_t NextScalar(const PrefilterTables& t, const std::uint8_t* p, std::size_t from, std::size_t end) {
  switch (t.width) {
    case 1: return NextScalarOf<1>(t, p, from, end);
    case 2: return NextScalarOf<2>(t, p, from, end);
    case 3: return NextScalarOf<3>(t, p, from, end);
    default: return NextScalarOf<4>(t, p, from, end);
  }
}

}  // namespace prefilter_kernels

SearchKernel BestSearchKernel() {
  static const SearchKernel best = DetectKernel();
  return best;
}

std::vector<SearchKernel> SupportedSearchKernels() {
  std::vector<SearchKernel> kernels{SearchKernel::Scalar};
  const SearchKernel best = BestSearchKernel();
  if (best == SearchKernel::Avx2 || best == SearchKernel::Ssse3) {
    // Every processor with AVX2 has SSSE3.
    if (prefilter_kernels::Ssse3(1) != nullptr) kernels.push_back(SearchKernel::Ssse3);
  }
  if (best == SearchKernel::Avx2) kernels.push_back(SearchKernel::Avx2);
  return kernels;
}

const char* SearchKernelName(SearchKernel kernel) {
  switch (kernel) {
    case SearchKernel::Scalar: return "scalar";
    case SearchKernel::Ssse3: return "SSSE3";
    case SearchKernel::Avx2: return "AVX2";
  }
  return "?";
}

MarkerPrefilter::MarkerPrefilter(const std::vector<std::string>& markers, SearchKernel kernel) {
  // The fewest fingerprint bytes that keep false candidates rare: each byte
  // more costs every block of text two more look-ups. Tables of text markers
  // need all four; the executable family markers do with fewer.
  std::size_t longest = kMaxWidth;
  bool any = false;
  for (const std::string& m : markers) {
    if (m.empty()) continue;
    any = true;
    longest = std::min(longest, m.size());
  }
  if (any) {
    for (std::size_t width = 1; width <= longest; ++width) {
      if (Layout(markers, width, tables_) <= kRareEnough) break;
    }
  }

  // A kernel the build or the processor lacks falls back to the next one down.
  next_ = nullptr;
  const std::size_t w = std::max<std::size_t>(tables_.width, 1);
  if (kernel == SearchKernel::Avx2 && BestSearchKernel() == SearchKernel::Avx2) next_ = prefilter_kernels::Avx2(w);
  if (next_ != nullptr) {
    kernel_ = SearchKernel::Avx2;
    return;
  }
  if (kernel != SearchKernel::Scalar && BestSearchKernel() != SearchKernel::Scalar) next_ = prefilter_kernels::Ssse3(w);
  if (next_ != nullptr) {
    kernel_ = SearchKernel::Ssse3;
    return;
  }
  kernel_ = SearchKernel::Scalar;
  next_ = prefilter_kernels::NextScalar;
}

}  // namespace kestro::checks
