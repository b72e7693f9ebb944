#include "scan/archive_scanner.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "icon/icon_check.hpp"
#include "checks/shortcut_check.hpp"
#include "scan/archive_member_path.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::scan {
namespace {
namespace fs = std::filesystem;

constexpr std::string_view kTestFile =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

// An archive library that serves members from a list and records the calls.
class FakeArchiveLibrary final : public ArchiveLibrary {
 public:
  struct Member {
    std::string name;
    std::string data;
    bool extractable = true;
  };
  std::vector<Member> members;
  std::function<void(std::size_t)> onExtract;  // called after member i was written
  int opens = 0, closes = 0, headersRead = 0;
  std::vector<std::string> destinations;

  bool IsAvailable() const override { return true; }
  ArchiveHandle OpenArchive(ArchiveOpenRecord& record) override {
    ++opens;
    record.OpenResult = 0;
    next_ = 0;
    return 7;
  }
  void SetPassword(ArchiveHandle, const char*) override {}
  int ReadHeader(ArchiveHandle, ArchiveHeaderRecord& header) override {
    ++headersRead;
    if (next_ >= members.size()) return KESTRO_ERAR_END_ARCHIVE;
    header = {};
    std::strncpy(header.FileName, members[next_].name.c_str(), sizeof header.FileName - 1);
    current_ = next_++;
    return 0;
  }
  int ProcessFile(ArchiveHandle, int operation, const char*, const char* destName) override {
    EXPECT_EQ(operation, kExtractOperation);
    destinations.emplace_back(destName);
    if (!members[current_].extractable) return KESTRO_ERAR_BAD_DATA;
    const fs::path path(destName);
    fs::create_directories(path.parent_path());
    test::WriteFile(path, members[current_].data);
    if (onExtract) onExtract(current_);
    return 0;
  }
  void CloseArchive(ArchiveHandle) override { ++closes; }

 private:
  std::size_t next_ = 0, current_ = 0;
};

struct Recorder : DetectionList, DetectionSound, DetectedFileDeleter, DetectionLog {
  std::vector<DetectionRecord> records;
  std::vector<fs::path> deleted;
  std::vector<std::string> lines;
  void Append(DetectionRecord r) override { records.push_back(std::move(r)); }
  void PlayDetected() override {}
  void Delete(const fs::path& p) override {
    deleted.push_back(p);
    std::error_code ec;
    fs::remove(p, ec);
  }
  void WriteLine(std::string_view l) override { lines.emplace_back(l); }
};

struct FixedClock : DetectionClock {
  std::string NowText() const override { return "now"; }
};

class ArchiveScannerTest : public ::testing::Test {
 protected:
  ArchiveScanContext Context(bool archiveSetting = true) {
    return ArchiveScanContext{library, state, observer, pump, member, dir.path() / "extract", archiveSetting};
  }
  fs::path Archive(const std::string& name, std::uintmax_t size = 100) {
    const fs::path p = dir.path() / "in" / name;
    fs::create_directories(p.parent_path());
    test::WriteFile(p, "Rar!");
    fs::resize_file(p, size);
    return p;
  }

  test::TempDir dir;
  sigdb::SignatureLists lists;
  checks::NoIconCheck icon;
  checks::PlatformTargetExistence targets;
  Recorder recorder;
  SamePathForm longPaths;
  FixedClock clock;
  ScanState state;
  ScanOneFileContext member{FileCheckContext{lists, icon, targets}, recorder, recorder, recorder, recorder,
                            longPaths, clock, state.DetectionCount, false, false};
  FakeArchiveLibrary library;
  ScanObserver observer;
  NoMessagePump pump;
};

TEST(ArchiveVolumeTest, NumberedVolumesAreNeverScanned) {
  struct Case {
    const char* name;
    bool scannable;
  };
  const Case cases[] = {{"setup.rar", true},        {"setup.part1.rar", false}, {"SETUP.PART2.RAR", false},
                        {"setup.part9.rar", false}, {"setup.part10.rar", false}, {"setup.part25.rar", false},
                        {"setup.part26.rar", true}, {"setup.part01.rar", true}, {"pack.RAR", true}};
  for (const Case& c : cases) EXPECT_EQ(IsScannableArchive(c.name), c.scannable) << c.name;
}

TEST_F(ArchiveScannerTest, SizeLimitIsInclusiveAndTheSettingIsHonoured) {
  library.members = {{"a.txt", "x"}};
  auto context = Context();
  ScanArchive(Archive("exact.rar", kArchiveSizeLimit), "", context);
  EXPECT_EQ(library.opens, 1);
  ScanArchive(Archive("over.rar", kArchiveSizeLimit + 1), "", context);
  EXPECT_EQ(library.opens, 1);
  auto off = Context(false);
  ScanArchive(Archive("small.rar"), "", off);
  EXPECT_EQ(library.opens, 1);
}

TEST_F(ArchiveScannerTest, HitNamesArchiveAndMemberAndCleanAllDeletesOnlyTheCopy) {
  const std::string stored = std::string("dir") + kPathSeparator + "evil.com";
  library.members = {{"readme.txt", "hello"}, {stored, std::string(kTestFile)}, {"broken.com", "", false}};
  member.cleanAll = true;
  auto context = Context();
  const fs::path archive = Archive("pack.rar");
  EXPECT_EQ(ScanArchive(archive, "", context), 2);  // the member that failed to extract is not counted

  ASSERT_EQ(recorder.records.size(), 1u);
  const DetectionRecord& r = recorder.records[0];
  EXPECT_EQ(r.infection, "EICAR-AV-TEST");
  EXPECT_EQ(r.location, archive.string() + ":" + kPathSeparator + stored);
  EXPECT_EQ(r.tag, archive);
  EXPECT_EQ(r.packer, "Unknown");
  EXPECT_EQ(state.DetectionCount, 1u);
  ASSERT_EQ(recorder.lines.size(), 1u);
  EXPECT_EQ(recorder.lines[0], "EICAR-AV-TEST" + std::string(12, ' ') + r.location);
  ASSERT_EQ(recorder.deleted.size(), 1u);
  EXPECT_EQ(recorder.deleted[0].filename(), "evil.com");
  EXPECT_TRUE(fs::exists(archive));
  EXPECT_EQ(library.closes, 1);
  // Every extracted copy is gone again.
  for (const auto& d : library.destinations) EXPECT_FALSE(fs::is_regular_file(d)) << d;
}

TEST_F(ArchiveScannerTest, StopEndsTheArchiveAfterTheMemberBeingExtracted) {
  library.members = {{"one.com", std::string(kTestFile)}, {"two.com", std::string(kTestFile)},
                     {"three.com", std::string(kTestFile)}};
  library.onExtract = [&](std::size_t i) {
    if (i == 1) state.StopRequested = true;
  };
  auto context = Context();
  ScanArchive(Archive("pack.rar"), "", context);
  EXPECT_EQ(recorder.records.size(), 1u);  // the member extracted when Stop came is not checked
  EXPECT_EQ(library.headersRead, 2);
  EXPECT_EQ(library.closes, 1);
}

TEST_F(ArchiveScannerTest, UnsafeMemberNamesAreExtractedInsideAndShownAsStored) {
  const std::string stored = std::string("..") + kPathSeparator + ".." + kPathSeparator + "outside.com";
  library.members = {{stored, std::string(kTestFile)}};
  auto context = Context();
  const fs::path archive = Archive("pack.rar");
  ScanArchive(archive, "", context);
  ASSERT_EQ(library.destinations.size(), 1u);
  EXPECT_TRUE(LiesInsideFolder((dir.path() / "extract").string(), library.destinations[0]))
      << library.destinations[0];
  EXPECT_FALSE(fs::exists(dir.path() / "outside.com"));
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(recorder.records[0].location, archive.string() + ":" + kPathSeparator + stored);
}

TEST_F(ArchiveScannerTest, MissingLibrarySkipsArchives) {
  const auto missing = BindArchiveLibrary(dir.path() / "no-such-folder");
  EXPECT_FALSE(missing->IsAvailable());
  ArchiveScanContext context{*missing, state, observer, pump, member, dir.path() / "extract", true};
  EXPECT_EQ(ScanArchive(Archive("pack.rar"), "", context), 0);
  EXPECT_TRUE(recorder.records.empty());
}

TEST_F(ArchiveScannerTest, MemberCountStopsAt32767) {
  state.ArchiveMembersScanned = 32766;
  library.members = {{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}};
  auto context = Context();
  EXPECT_EQ(ScanArchive(Archive("pack.rar"), "", context), 32767);
}

}  // namespace
}  // namespace kestro::scan
