#include "cli/scan/path_filter.hpp"

#include "cli/scan/console_output.hpp"
#include "platform/file_ops.hpp"

namespace kestro::cli {
namespace {

#ifdef _WIN32
constexpr bool kFoldCase = true;
constexpr bool kBackslashEscapes = false;
#else
constexpr bool kFoldCase = false;
constexpr bool kBackslashEscapes = true;
#endif

char Fold(char c) {
  if (kFoldCase && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

// The length of the UTF-8 character starting at `at` (1 for a stray byte).
std::size_t CharLength(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) ++end;
  return end - at;
}

// Matches a "[...]" set at pattern[p] against one byte; advances p past it.
// Answers nothing for a "[" without its "]" (then a literal "[").
std::optional<bool> MatchSet(std::string_view pattern, std::size_t& p, char c) {
  std::size_t i = p + 1;
  const bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negate) ++i;
  bool matched = false;
  bool first = true;
  for (; i < pattern.size() && (first || pattern[i] != ']'); ++i, first = false) {
    char low = pattern[i];
    char high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      high = pattern[i + 2];
      i += 2;
    }
    if (Fold(c) >= Fold(low) && Fold(c) <= Fold(high)) matched = true;
  }
  if (i >= pattern.size()) return std::nullopt;
  p = i + 1;
  return matched != negate;
}

std::string FolderPattern(std::string pattern) {
  // "cache/" names the folder "cache".
  while (pattern.size() > 1 && (pattern.back() == '/' || (!kBackslashEscapes && pattern.back() == '\\'))) {
    pattern.pop_back();
  }
  return pattern;
}

bool MatchesAny(const std::vector<std::string>& patterns, const std::filesystem::path& path) {
  if (patterns.empty()) return false;
  const std::string whole = PathBytes(path);
  const std::string name = PathBytes(path.filename());
  for (const std::string& pattern : patterns) {
    if (GlobMatch(pattern, whole) || GlobMatch(pattern, name)) return true;
  }
  return false;
}

}  // namespace

bool GlobMatch(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0;
  std::size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    bool advanced = false;
    if (p < pattern.size()) {
      const char c = pattern[p];
      if (c == '*') {
        starP = ++p;
        starT = t;
        continue;
      }
      if (c == '?') {
        ++p;
        t += CharLength(text, t);
        advanced = true;
      } else if (c == '[') {
        std::size_t q = p;
        const std::optional<bool> set = MatchSet(pattern, q, text[t]);
        if (set.has_value()) {
          if (*set) {
            p = q;
            ++t;
            advanced = true;
          }
        } else if (text[t] == '[') {
          ++p;
          ++t;
          advanced = true;
        }
      } else {
        std::size_t literal = p;
        if (kBackslashEscapes && c == '\\' && p + 1 < pattern.size()) literal = p + 1;
        if (Fold(pattern[literal]) == Fold(text[t])) {
          p = literal + 1;
          ++t;
          advanced = true;
        }
      }
    }
    if (advanced) continue;
    if (starP == std::string_view::npos) return false;
    // Let the last "*" take one more character and try again from there.
    starT += CharLength(text, starT);
    t = starT;
    p = starP;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

PathFilter::PathFilter(std::vector<std::string> filePatterns, std::vector<std::string> folderPatterns,
                       bool oneFileSystem)
    : filePatterns_(std::move(filePatterns)), oneFileSystem_(oneFileSystem) {
  for (std::string& pattern : folderPatterns) folderPatterns_.push_back(FolderPattern(std::move(pattern)));
}

void PathFilter::StartAt(const std::filesystem::path& target) {
  rootVolume_ = oneFileSystem_ ? platform::VolumeOf(target) : std::nullopt;
}

bool PathFilter::ExcludesFile(const std::filesystem::path& file) const { return MatchesAny(filePatterns_, file); }

bool PathFilter::ExcludesFolder(const std::filesystem::path& folder) const {
  return MatchesAny(folderPatterns_, folder);
}

bool PathFilter::EntersFolder(const std::filesystem::path& folder) const {
  if (ExcludesFolder(folder)) return false;
  if (!oneFileSystem_ || !rootVolume_) return true;
  return platform::VolumeOf(folder) == rootVolume_;
}

}  // namespace kestro::cli
