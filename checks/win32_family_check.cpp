#include "checks/win32_family_check.hpp"

#include "checks/extension_list.hpp"
#include "checks/marker_matcher.hpp"

namespace kestro::checks {
namespace {

constexpr std::int32_t kWholeFile = 0;

const std::vector<Win32FamilyRow> kRows = {
    {1, 70, {MarkerBytes({0xA8, 0xB6, 0xC1, 0x58})}, "W32.ALMAN.B"},
    {70, 176,
     {MarkerBytes({0x0C, 0x44, 0x92, 0x52, 0x69, 0x63, 0x68, 0xDF, 0x0C, 0x44, 0x92}),
      MarkerBytes({0x0B, 0x44, 0x92, 0x52, 0x69, 0x63, 0x68, 0x5F, 0x0B, 0x44})},
     "W32.OLIGA"},
    {176, 208, {MarkerBytes({0x0C, 0x28, 0xDA, 0x49})}, "W32.SYSYER"},
    {496, 540, {MarkerBytes({0xE0, 0x68, 0x74, 0x6E, 0x72, 0x6E, 0x6F, 0x67})}, "W32.VITRO"},
    {176, 200,
     {MarkerBytes({0xD2, 0x1D, 0x40, 0xD2, 0xE6, 0xBF, 0x5C, 0xD2, 0x52, 0x69, 0x63, 0x68, 0xE7, 0xBF,
                   0x5C, 0xD2})},
     "W32.RAMNIT.L"},
    {1024, 1040, {MarkerBytes({0x52, 0x52, 0x53, 0x50, 0xE8, 0x94})}, "W32.TEDDYBEAR"},
    {1, kWholeFile,
     {MarkerBytes({0x8E, 0x65, 0xA9, 0xF3, 0x9E, 0x3D, 0x39, 0xA8, 0x6C, 0xDF, 0xEC, 0x6E, 0xDF, 0x64,
                   0x59, 0xF4, 0x6C})},
     "W32.ALMAB.B"},
    {1, kWholeFile, {MarkerBytes({0xCA, 0x68, 0xA1, 0x37, 0x54, 0x1A, 0xED, 0x76, 0x9C, 0x3F})},
     "W32.SERVICE.A"},
    {1, kWholeFile, {MarkerBytes({0x60, 0xAA, 0x60, 0x6F, 0x4D, 0xD8, 0x21, 0x35, 0xB7, 0x3D})},
     "W32.BUMERCIA"},
    {1, kWholeFile, {MarkerBytes({0x2C, 0x24, 0x59, 0x47, 0xF8, 0x46, 0x23, 0x47, 0x8D, 0x28})},
     "W32.KSPLOOD"},
    {1, kWholeFile, {MarkerBytes({0x78, 0xB5, 0x54, 0x92, 0x68, 0xA9, 0x4C, 0xFE})}, "W32.SERVICE.B"},
    {1, kWholeFile, {MarkerBytes({0xE8, 0xB3, 0xB6, 0xFB, 0xFF, 0x89, 0x45, 0xF0, 0x33, 0xD2})},
     "W32.SPOOLER"},
    {1, kWholeFile,
     {"runner.dll", MarkerBytes({0xEC, 0xB1, 0x13, 0xEA, 0x70, 0x47, 0x77, 0x77, 0x77, 0xEA, 0x37, 0x6B,
                                 0xF2, 0xB7, 0x6B, 0xEA, 0x77})},
     "W32.SCRIBBLE"},
};

// The whole-file rows share one pass: markers indexed in row order.
struct WholeFileMarkers {
  std::vector<std::string> markers;
  std::vector<std::size_t> rowOf;
  WholeFileMarkers() {
    for (std::size_t r = 0; r < kRows.size(); ++r) {
      if (kRows[r].length != kWholeFile) continue;
      for (const std::string& m : kRows[r].markers) {
        markers.push_back(m);
        rowOf.push_back(r);
      }
    }
  }
};

const WholeFileMarkers& WholeFile() {
  static const WholeFileMarkers whole;
  return whole;
}

const MarkerMatcher& WholeFileMatcher() {
  static const MarkerMatcher matcher(WholeFile().markers);
  return matcher;
}

}  // namespace

const std::vector<Win32FamilyRow>& Win32FamilyRows() { return kRows; }

CheckResult Win32FamilyCheck(FileView& file) {
  if (!PassesExtensionListText(file.PathText(), "EXE SYS OCX DLL")) return CheckResult::Miss();
  if (file.PeProbe() == 0 || file.Size() >= kWin32FamilySizeLimit) return CheckResult::Miss();

  std::optional<MarkerHits> wholeHits;
  for (std::size_t r = 0; r < kRows.size(); ++r) {
    const Win32FamilyRow& row = kRows[r];
    if (row.length != kWholeFile) {
      const auto window = file.Window(row.start, row.length);
      for (const std::string& marker : row.markers) {
        if (ContainsBytes(window, marker)) return CheckResult::Hit(row.name);
      }
      continue;
    }
    if (!wholeHits) {
      wholeHits = WholeFileMatcher().Find(file.Window(1, static_cast<std::int32_t>(file.Size())));
    }
    for (std::size_t m = 0; m < WholeFile().markers.size(); ++m) {
      if (WholeFile().rowOf[m] == r && (*wholeHits)[m]) return CheckResult::Hit(row.name);
    }
  }
  return CheckResult::Miss();
}

}  // namespace kestro::checks
