#pragma once
// Shared helpers of the detection tests: running a check on bytes in memory
// under a chosen path, and building byte texts.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "checks/check_result.hpp"
#include "io/file_view.hpp"

namespace kestro::test {

using ByteVec = std::vector<std::uint8_t>;

inline ByteVec ToBytes(std::string_view text) { return ByteVec(text.begin(), text.end()); }

inline ByteVec Concat(std::initializer_list<std::string_view> parts) {
  ByteVec out;
  for (const auto p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Runs `check` on a view of `bytes` named `path`.
template <typename Check>
checks::CheckResult RunOn(Check check, const std::string& path, const ByteVec& bytes) {
  // The path text is UTF-8, as every text of the engine (not the ANSI code page).
  checks::FileView view = checks::FileView::FromBytes(std::filesystem::path(std::u8string(path.begin(), path.end())), bytes);
  return check(view);
}

// "hit NAME" or "miss", for readable expectations.
inline std::string Describe(const checks::CheckResult& r) { return r.hit ? "hit " + r.detectionName : "miss"; }

// Places `marker` into `bytes` at `offset`, growing them when needed. Kept out of
// line: inlined into fixed-size fixtures, GCC 12 reports false array bounds.
[[gnu::noinline]] inline void Place(ByteVec& bytes, std::size_t offset, std::string_view marker) {
  if (bytes.size() < offset + marker.size()) bytes.resize(offset + marker.size(), 0);
  for (std::size_t i = 0; i < marker.size(); ++i) bytes[offset + i] = static_cast<std::uint8_t>(marker[i]);
}

}  // namespace kestro::test
