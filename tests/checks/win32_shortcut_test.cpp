// The Win32 family check (windows and whole-file markers) and the shortcut check
// (target, then byte markers), with the shell-link reader behind it.
#include <gtest/gtest.h>

#include <set>

#include "checks/marker_matcher.hpp"
#include "checks/shell_link.hpp"
#include "checks/shortcut_check.hpp"
#include "checks/win32_family_check.hpp"
#include "tests/checks/detection_test_util.hpp"
#include "tests/support/lnk_builder.hpp"
#include "tests/support/pe_builder.hpp"
#include "tests/support/temp_dir.hpp"
#include "checks/extension_list.hpp"

namespace kestro::test {
namespace {

using checks::FileView;
using checks::MarkerBytes;

// A PE image whose headers start at 0x900, past every fixed window, so the
// windows see only the bytes a test places.
ByteVec FamilyImage(std::size_t extra = 0) {
  PeImage image;
  image.stub.assign(0x900 - 64, 0);
  PeSection text;
  text.name = ".text";
  text.raw.assign(0x200, 0x90);
  image.sections = {text};
  image.overlay.assign(extra, 0);
  return image.Build();
}

std::string Family(const ByteVec& bytes, const std::string& path = "x.exe") {
  return Describe(RunOn([](FileView& v) { return checks::Win32FamilyCheck(v); }, path, bytes));
}

TEST(Win32FamilyCheck, EveryRowAtItsWindowBounds) {
  const auto& rows = checks::Win32FamilyRows();
  ASSERT_EQ(rows.size(), 13u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const std::string& marker : row.markers) {
      if (row.length == 0) {
        ByteVec bytes = FamilyImage(64);
        Place(bytes, bytes.size() - 40, marker);
        EXPECT_EQ(Family(bytes), std::string("hit ") + row.name);
        continue;
      }
      const std::size_t first = static_cast<std::size_t>(row.start) - 1;
      const std::size_t end = first + static_cast<std::size_t>(row.length);  // one past the window
      ByteVec atStart = FamilyImage();
      Place(atStart, first == 0 ? 2 : first, marker);  // keep "MZ"
      EXPECT_EQ(Family(atStart), std::string("hit ") + row.name) << "at the window start";
      ByteVec atEnd = FamilyImage();
      Place(atEnd, end - marker.size(), marker);
      EXPECT_EQ(Family(atEnd), std::string("hit ") + row.name) << "ending at the window end";
      ByteVec past = FamilyImage();
      Place(past, end - marker.size() + 1, marker);
      EXPECT_NE(Family(past), std::string("hit ") + row.name) << "one byte past the window";
      if (first > 0) {
        ByteVec before = FamilyImage();
        Place(before, first - 1, marker);
        EXPECT_NE(Family(before), std::string("hit ") + row.name) << "one byte before the window";
      }
    }
  }
}

TEST(Win32FamilyCheck, GatesAndOrder) {
  ByteVec both = FamilyImage(64);
  Place(both, 2, MarkerBytes({0xA8, 0xB6, 0xC1, 0x58}));
  Place(both, both.size() - 20, "runner.dll");
  EXPECT_EQ(Family(both), "hit W32.ALMAN.B") << "first row wins";
  EXPECT_EQ(Family(both, "x.OcX"), "hit W32.ALMAN.B");
  EXPECT_EQ(Family(both, "x.scr"), "miss");
  ByteVec notPe = both;
  notPe[0] = 'N';
  EXPECT_EQ(Family(notPe, "x.dll"), "miss");

  // The size limit: below 2 MiB only.
  ByteVec limit = FamilyImage();
  limit.resize(2097152, 0);
  Place(limit, limit.size() - 20, "runner.dll");
  EXPECT_EQ(Family(limit), "miss") << "2 MiB";
  limit.pop_back();
  EXPECT_EQ(Family(limit), "hit W32.SCRIBBLE") << "2 MiB - 1";
  EXPECT_EQ(Family(FamilyImage()), "miss");
}

TEST(Win32FamilyCheck, RichStampFromTheImageBuilder) {
  PeImage image;
  image.stub = ToBytes(std::string(6, '\0') + MarkerBytes({0x0C, 0x44, 0x92, 0x52, 0x69, 0x63, 0x68, 0xDF, 0x0C, 0x44, 0x92}));
  PeSection text;
  text.name = ".text";
  text.raw.assign(0x200, 0x90);
  image.sections = {text};
  EXPECT_EQ(Family(image.Build()), "hit W32.OLIGA");
}

class FakeTargets final : public checks::TargetExistence {
 public:
  std::set<std::string> existing;
  bool unknown = false;
  mutable std::vector<std::string> asked;
  platform::PathExistence Exists(std::string_view path) const override {
    asked.emplace_back(path);
    if (unknown) return platform::PathExistence::Unknown;
    return existing.count(std::string(path)) ? platform::PathExistence::Exists : platform::PathExistence::Missing;
  }
};

std::string Shortcut(const ByteVec& bytes, const FakeTargets& targets, const std::string& path = "x.lnk") {
  return Describe(RunOn([&](FileView& v) { return checks::ShortcutCheck(v, targets); }, path, bytes));
}

TEST(ShellLink, TargetFromEachForm) {
  struct Case { const char* what; LnkFile link; std::optional<std::string> target; };
  LnkFile local;
  local.localBasePath = "C:\\RECYCLER\\";
  local.commonPathSuffix = "x.exe";
  LnkFile unicode = local;
  unicode.unicodeLinkInfo = true;
  LnkFile network;
  network.networkShare = "\\\\srv\\share";
  network.commonPathSuffix = "dir\\a.exe";
  LnkFile idList;
  idList.idListDrive = "D:\\";
  idList.idListEntries = {{"PROGRA~1", std::string("Program Files"), true, 8},
                          {"APP~1.EXE", std::string("Application.exe"), false, 3}};
  LnkFile shortNames;
  shortNames.idListDrive = "E:\\";
  shortNames.idListEntries = {{"DIR", std::nullopt, true, 8}, {"A.EXE", std::nullopt, false, 9}};
  LnkFile both = idList;
  both.localBasePath = "C:\\info.exe";
  LnkFile env;
  env.environmentTarget = "%windir%\\x.exe";
  LnkFile empty;
  LnkFile bad;
  bad.validHeader = false;
  std::vector<Case> cases = {
      {"link info", local, "C:\\RECYCLER\\x.exe"},
      {"link info unicode", unicode, "C:\\RECYCLER\\x.exe"},
      {"network", network, "\\\\srv\\share\\dir\\a.exe"},
      {"id list", idList, "D:\\Program Files\\Application.exe"},
      {"id list short names", shortNames, "E:\\DIR\\A.EXE"},
      {"link info before id list", both, "C:\\info.exe"},
      {"environment block", env, "%windir%\\x.exe"},
      {"no target", empty, ""},
      {"not a link", bad, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(checks::ShellLinkTarget(c.link.Build()), c.target) << c.what;
  // Every truncation of a valid link reads safely.
  const ByteVec full = idList.Build();
  for (std::size_t n = 0; n < full.size(); ++n) (void)checks::ShellLinkTarget({full.data(), n});
}

TEST(ShortcutCheck, TargetCheck) {
  FakeTargets targets;
  LnkFile link;
  link.localBasePath = "C:\\RECYCLER\\S-1-5\\";
  link.commonPathSuffix = "x.exe";
  EXPECT_EQ(Shortcut(link.Build(), targets), "hit W32.FAKE SHORTCUT") << "missing target";
  targets.existing.insert("C:\\RECYCLER\\S-1-5\\x.exe");
  EXPECT_EQ(Shortcut(link.Build(), targets), "hit W32.FFD.H.ROOT");
  link.localBasePath = "C:\\Recycler\\S-1-5\\";
  targets.existing.insert("C:\\Recycler\\S-1-5\\x.exe");
  EXPECT_EQ(Shortcut(link.Build(), targets), "miss") << "case-sensitive RECYCLER";
  link.localBasePath = "C:\\\"Program\"\\";
  targets.existing.insert("C:\\Program\\x.exe");
  EXPECT_EQ(Shortcut(link.Build(), targets), "miss") << "quotes removed before the test";
  EXPECT_EQ(targets.asked.back(), "C:\\Program\\x.exe");
  EXPECT_EQ(Shortcut(link.Build(), targets, "x.txt"), "miss") << "extension";
  targets.unknown = true;
  link.localBasePath = "C:\\gone\\";
  EXPECT_EQ(Shortcut(link.Build(), targets), "miss") << "existence cannot be judged";
}

TEST(ShortcutCheck, ByteMarkersAndTheReplacementOfStepA) {
  FakeTargets targets;
  targets.unknown = true;
  const std::string root = MarkerBytes({0x37, 0xA5, 0x37, 0xB1, 0x37, 0xBA, 0x37, 0xC0, 0x37, 0xCB, 0x37, 0xD2, 0x37, 0xE8, 0x37});
  const std::string computer = MarkerBytes({0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D});
  const std::string head = MarkerBytes({0xEC, 0x21, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xDD});
  const std::string push = MarkerBytes({0x00, 0x00, 0x00, 0x6A});
  const std::string tail = MarkerBytes({0xEC, 0x21, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xDD, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D});
  const std::string storage = MarkerBytes({0x53, 0x00, 0x54, 0x00, 0x4F, 0x00, 0x52, 0x00, 0x41, 0x00, 0x47, 0x00, 0x45});
  const auto link = [](std::initializer_list<std::string> parts) {
    LnkFile l;
    for (const auto& p : parts) {
      l.trailing.insert(l.trailing.end(), p.begin(), p.end());
      l.trailing.push_back('|');
    }
    return l.Build();
  };
  const auto notL = [](ByteVec b) { b[0] = 'M'; return b; };
  struct Case { const char* what; ByteVec bytes; const char* expected; };
  const std::vector<Case> cases = {
      {"root marker", link({root}), "hit W32.FFD.H.ROOT"},
      {"root marker without L", notL(link({root})), "hit W32.FFD.H.ROOT"},
      {"5a", link({computer, head, push}), "hit W32.EXPlOIT"},
      {"5a without the push", link({computer, head}), "miss"},
      {"5a without the computer item", link({head, push}), "miss"},
      {"5b", link({tail, storage}), "hit W32.RAMNIT"},
      {"5b without STORAGE", link({tail}), "miss"},
      {"5a and 5b", link({computer, head, push, tail, storage}), "hit W32.RAMNIT"},
      {"5b without L", notL(link({tail, storage})), "miss"},
      {"5a without L", notL(link({computer, head, push})), "miss"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shortcut(c.bytes, targets), c.expected) << c.what;
  // With a judged target the target check comes first.
  FakeTargets judged;
  EXPECT_EQ(Shortcut(link({tail, storage}), judged), "hit W32.RAMNIT") << "empty target exists; markers then";
}

TEST(ShortcutCheck, PlatformExistenceOfTheTarget) {
  TempDir dir;
  WriteFile(dir / "target.exe", "x");
  const checks::PlatformTargetExistence platformTargets;
  const auto check = [&](const std::string& suffix) {
    LnkFile link;
    link.localBasePath = checks::PathUtf8(dir.path()) + "\\";
    link.commonPathSuffix = suffix;
    return Describe(RunOn([&](FileView& v) { return checks::ShortcutCheck(v, platformTargets); }, "t.lnk", link.Build()));
  };
#ifdef _WIN32
  EXPECT_EQ(check("target.exe"), "miss");
  EXPECT_EQ(check("gone.exe"), "hit W32.FAKE SHORTCUT");
#else
  // A Windows target cannot be judged here: the target check gives no hit.
  EXPECT_EQ(check("target.exe"), "miss");
  EXPECT_EQ(check("gone.exe"), "miss");
#endif
}

}  // namespace
}  // namespace kestro::test
