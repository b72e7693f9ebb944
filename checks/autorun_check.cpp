#include "checks/autorun_check.hpp"

#include "checks/extension_list.hpp"
#include "checks/marker_matcher.hpp"
#include "io/utf8_text.hpp"

namespace kestro::checks {
namespace {

constexpr std::int64_t kMinimumSize = 10;
constexpr std::int64_t kMaximumSize = 61440;  // 0xF000

enum Marker : std::size_t { kSection, kShell, kPif, kBat, kOpenCommand, kExploreCommand, kWscript };

const MarkerMatcher& Markers() {
  // Indexes follow the Marker enumeration.
  static const MarkerMatcher matcher({"[autorun]", "shell", ".pif", ".bat", "open\\command",
                                      "explore\\command", "wscript.exe"});
  return matcher;
}

}  // namespace

std::string BaseName(const std::filesystem::path& path) {
  const std::string text = PathUtf8(path);
  const std::size_t slash = text.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
  return name.substr(0, name.find('.'));
}

CheckResult AutorunCheck(FileView& file) {
  if (UpperAscii(file.PathText()).find("AUTORUN") == std::string::npos) return CheckResult::Miss();
  const std::int64_t size = file.Size();
  if (size < kMinimumSize || size > kMaximumSize) return CheckResult::Miss();
  const MarkerHits hits = Markers().Find(file.Window(1, static_cast<std::int32_t>(size)), true);
  const bool section = hits[kSection];
  const bool hit = (section && (hits[kShell] || hits[kPif] || hits[kBat] || hits[kOpenCommand] ||
                                hits[kExploreCommand])) ||
                   hits[kWscript];
  if (!hit) return CheckResult::Miss();
  // Characters, not bytes: "über.inf" gives "ÜBE".
  return CheckResult::Hit("[ARRS] " + io::Utf8Upper(io::Utf8Head(BaseName(file.Path()), 3)));
}

}  // namespace kestro::checks
