#include "checks/shortcut_check.hpp"

#include <algorithm>

#include "checks/extension_list.hpp"
#include "checks/marker_matcher.hpp"
#include "checks/shell_link.hpp"

namespace kestro::checks {
namespace {

enum Marker : std::size_t { kRootMarker, kComputerItem, kControlPanelHead, kPush, kControlPanelTail, kStorage };

const MarkerMatcher& Markers() {
  // Indexes follow the Marker enumeration.
  static const MarkerMatcher matcher({
      MarkerBytes({0x37, 0xA5, 0x37, 0xB1, 0x37, 0xBA, 0x37, 0xC0, 0x37, 0xCB, 0x37, 0xD2, 0x37, 0xE8, 0x37}),
      MarkerBytes({0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30,
                   0x30, 0x9D}),
      MarkerBytes({0xEC, 0x21, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xDD}),
      MarkerBytes({0x00, 0x00, 0x00, 0x6A}),
      MarkerBytes({0xEC, 0x21, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xDD, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}),
      MarkerBytes({0x53, 0x00, 0x54, 0x00, 0x4F, 0x00, 0x52, 0x00, 0x41, 0x00, 0x47, 0x00, 0x45}),
  });
  return matcher;
}

}  // namespace

CheckResult ShortcutTargetCheck(FileView& file, const TargetExistence& existence) {
  const std::optional<std::string> parsed = ShellLinkTarget(file.Whole());
  if (!parsed) return CheckResult::Miss();
  std::string target = *parsed;
  target.erase(std::remove(target.begin(), target.end(), '"'), target.end());

  platform::PathExistence state = platform::PathExistence::Exists;  // an empty target counts as existing
  if (!target.empty()) state = existence.Exists(target);
  switch (state) {
    case platform::PathExistence::Unknown:
      return CheckResult::Miss();
    case platform::PathExistence::Missing:
      return CheckResult::Hit("W32.FAKE SHORTCUT");
    case platform::PathExistence::Exists:
      break;
  }
  return target.find("RECYCLER") != std::string::npos ? CheckResult::Hit("W32.FFD.H.ROOT")
                                                       : CheckResult::Miss();
}

CheckResult ShortcutCheck(FileView& file, const TargetExistence& existence) {
  if (!PassesExtensionListText(file.PathText(), "LNK")) return CheckResult::Miss();
  const std::span<const std::uint8_t> text = file.Whole();

  if (CheckResult target = ShortcutTargetCheck(file, existence)) return target;

  const MarkerHits hits = Markers().Find(text);
  if (hits[kRootMarker]) return CheckResult::Hit("W32.FFD.H.ROOT");
  if (text.empty() || text[0] != 0x4C) return CheckResult::Miss();

  // Step b's name replaces step a's, so b is decided first.
  if (hits[kControlPanelTail] && hits[kStorage]) return CheckResult::Hit("W32.RAMNIT");
  if (hits[kComputerItem] && hits[kControlPanelHead] && hits[kPush]) return CheckResult::Hit("W32.EXPlOIT");
  return CheckResult::Miss();
}

}  // namespace kestro::checks
