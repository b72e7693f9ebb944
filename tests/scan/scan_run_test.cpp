#include "scan/scan_run.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "scan/scan_texts.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::scan {
namespace {
namespace fs = std::filesystem;

struct RecordingObserver : ScanObserver {
  std::vector<std::string> statuses;
  std::vector<std::pair<std::string, MessageIcon>> messages;
  std::vector<int> progress;
  std::string finishMessage;
  std::uint32_t finishFiles = 0, finishDetections = 0, totalFiles = 0, totalFolders = 0;
  std::function<void()> onCounted;
  std::vector<std::string> notListed;
  int broughtForward = 0;
  void BringScanPageForward() override { ++broughtForward; }
  void FolderNotListed(const fs::path& f) override { notListed.push_back(f.filename().string()); }
  void StatusText(std::string_view t) override { statuses.emplace_back(t); }
  void Progress(int p) override { progress.push_back(p); }
  void ShowMessage(std::string_view t, MessageIcon i) override { messages.emplace_back(std::string(t), i); }
  void Counted(std::uint32_t, std::uint32_t) override {
    if (onCounted) onCounted();
  }
  void Finishing(const ScanState& s, std::string_view m) override {
    finishMessage = std::string(m);
    finishFiles = s.FilesScanned;
    finishDetections = s.DetectionCount;
    totalFiles = s.TotalFiles;
    totalFolders = s.TotalFolders;
  }
};

struct RecordingMarkers : ScanMarkers {
  std::vector<std::string> log;
  void SetMarker(std::string_view n, std::uint32_t v) override { log.push_back(std::string(n) + "=" + std::to_string(v)); }
  void DeleteMarker(std::string_view n) override { log.push_back("-" + std::string(n)); }
};

struct RecordingServices : ScanServices {
  int extractDeletes = 0, repairs = 0, sounds = 0, shutdowns = 0;
  void RepairRegistry() override { ++repairs; }
  void DeleteExtractFolder() override { ++extractDeletes; }
  void PlayFinishedSound() override { ++sounds; }
  void ShutDownComputer() override { ++shutdowns; }
};

// Records what the walk hands over; "detects" files whose name starts with "bad".
struct RecordingSink : CandidateSink {
  explicit RecordingSink(ScanState& s) : state(s) {}
  ScanState& state;
  std::vector<std::string> files, archives;
  std::function<void()> onFile;
  void ScanFile(fs::path p) override {
    files.push_back(p.filename().string());
    if (p.filename().string().rfind("bad", 0) == 0) ++state.DetectionCount;
    if (onFile) onFile();
  }
  bool AcceptsArchive(const fs::path& p) override { return p.filename().string().find(".part1.") == std::string::npos; }
  void ScanArchive(const fs::path& p) override { archives.push_back(p.filename().string()); }
};

class ScanRunTest : public ::testing::Test {
 protected:
  ScanRun MakeRun(ScanOptions options = {}) {
    return ScanRun(state, observer, pump, markers, services, sink, options);
  }
  void Touch(const std::string& relative, std::size_t size = 4) {
    const fs::path p = dir.path() / relative;
    fs::create_directories(p.parent_path());
    test::WriteFile(p, std::string(size, 'x'));
  }
  void Scan(ScanOptions options = {}) {
    state.ScanTarget = dir.path();
    auto run = MakeRun(options);
    run.Run();
  }

  test::TempDir dir;
  ScanState state;
  RecordingObserver observer;
  NoMessagePump pump;
  RecordingMarkers markers;
  RecordingServices services;
  RecordingSink sink{state};
};

TEST_F(ScanRunTest, CandidateRulesAndCounts) {
  Touch("a.exe");
  Touch("b.txt");
  Touch("page.html");      // passes through its last three characters "TML"
  Touch("script.js");      // never passes
  Touch("NOEXTEXE");       // a name ending in EXE without a dot passes
  Touch("sub/deeper/c.VBS");
  Touch("pack.rar");
  Touch("setup.part1.rar");
  Touch("limit.com", 10485760);      // exactly the limit: handed over
  Touch("over.com", 10485761);       // one byte more: counted only
  Scan();

  std::sort(sink.files.begin(), sink.files.end());
  EXPECT_EQ(sink.files, (std::vector<std::string>{"NOEXTEXE", "a.exe", "c.VBS", "limit.com", "page.html"}));
  EXPECT_EQ(sink.archives, std::vector<std::string>{"pack.rar"});
  EXPECT_EQ(observer.totalFiles, 10u);
  EXPECT_EQ(observer.totalFolders, 2u);
  EXPECT_EQ(observer.finishFiles, 10u);
  EXPECT_EQ(observer.finishMessage, "Scanning completed !");
  EXPECT_EQ(observer.progress.back(), 100);
  ASSERT_EQ(observer.messages.size(), 1u);
  EXPECT_EQ(observer.messages[0], std::make_pair(std::string("Scanning completed !"), MessageIcon::Information));
  EXPECT_EQ(markers.log, (std::vector<std::string>{"MulaiScan=1", "-VirusDetected", "-MulaiScan",
                                                   "VirusDetected=1", "VirusDetected=1"}));
  EXPECT_EQ(services.extractDeletes, 1);
  EXPECT_EQ(services.sounds, 1);
  EXPECT_EQ(observer.statuses.back(), "STATUS : [ Waiting For Instructions ]");
  EXPECT_FALSE(state.ScanRunning);
  EXPECT_EQ(state.TotalFiles, 0u);  // the end state resets the counts
}

TEST_F(ScanRunTest, WithoutTheCountingPassTheSameFilesAreHandedOver) {
  Touch("a.exe");
  Touch("b.txt");
  Touch("sub/c.vbs");
  Touch("pack.rar");
  int counted = 0;
  observer.onCounted = [&] { ++counted; };
  Scan(ScanOptions{.CountFirst = false});

  std::sort(sink.files.begin(), sink.files.end());
  EXPECT_EQ(sink.files, (std::vector<std::string>{"a.exe", "c.vbs"}));
  EXPECT_EQ(sink.archives, std::vector<std::string>{"pack.rar"});
  EXPECT_EQ(counted, 0);
  EXPECT_EQ(observer.totalFiles, 0u);  // nothing counted: the bar stays at 0
  EXPECT_EQ(observer.finishFiles, 4u);
  EXPECT_EQ(observer.progress.back(), 0);
  EXPECT_EQ(observer.finishMessage, "Scanning completed !");
}

TEST_F(ScanRunTest, FilesAreVisitedInTheOrderTheFolderListsThem) {
  for (const char* name : {"q.exe", "a.exe", "m.exe", "z.exe", "c.exe"}) Touch(name);
  std::vector<std::string> listed;
  for (const auto& e : fs::directory_iterator(dir.path())) listed.push_back(e.path().filename().string());
  Scan();
  EXPECT_EQ(sink.files, listed);
}

TEST_F(ScanRunTest, DetectionCountDecidesTheFinish) {
  struct Case {
    int detections;
    std::uint32_t value;
    MessageIcon icon;
  };
  for (const Case c : {Case{0, 1, MessageIcon::Information}, Case{1, 2, MessageIcon::Exclamation},
                       Case{5, 2, MessageIcon::Exclamation}, Case{6, 3, MessageIcon::Error}}) {
    test::TempDir tree;
    for (int i = 0; i < c.detections; ++i) test::WriteFile(tree / ("bad" + std::to_string(i) + ".exe"), "x");
    test::WriteFile(tree / "good.exe", "x");
    ScanState s;
    RecordingObserver o;
    RecordingMarkers m;
    RecordingSink k{s};
    RecordingServices sv;
    s.ScanTarget = tree.path();
    ScanRun run(s, o, pump, m, sv, k, {});
    run.Run();
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].second, c.icon) << c.detections;
    EXPECT_EQ(m.log.back(), "VirusDetected=" + std::to_string(c.value)) << c.detections;
  }
}

TEST_F(ScanRunTest, StopDuringCountingAbortsBeforeAnyFile) {
  for (int i = 0; i < 20; ++i) Touch("f" + std::to_string(i) + ".exe");
  observer.onCounted = [&] {
    if (state.TotalFiles == 3) state.StopRequested = true;
  };
  Scan();
  EXPECT_TRUE(sink.files.empty());
  EXPECT_EQ(observer.finishMessage, "Scanning aborted !");
  EXPECT_EQ(observer.messages[0].first, "Scanning aborted !");
}

TEST_F(ScanRunTest, StopDuringTheWalkKeepsWhatWasFound) {
  for (int i = 0; i < 20; ++i) Touch("bad" + std::to_string(i) + ".exe");
  sink.onFile = [&] {
    if (sink.files.size() == 4) state.StopRequested = true;
  };
  Scan();
  EXPECT_EQ(sink.files.size(), 4u);
  EXPECT_EQ(observer.finishDetections, 4u);
  EXPECT_EQ(observer.finishMessage, "Scanning aborted !");
  EXPECT_EQ(markers.log.back(), "VirusDetected=2");
}

TEST_F(ScanRunTest, ShutdownEndsTheFinishWithoutAMessage) {
  Touch("a.exe");
  Scan({.ShutdownWhenDone = true});
  EXPECT_EQ(services.shutdowns, 1);
  EXPECT_TRUE(observer.messages.empty());
  EXPECT_EQ(markers.log.back(), "-MulaiScan");
}

TEST_F(ScanRunTest, MissingTargetCompletesWithNoFiles) {
  state.ScanTarget = dir.path() / "does-not-exist";
  auto run = MakeRun({.FixReg = true});
  run.Run();
  EXPECT_EQ(observer.finishMessage, "Scanning completed !");
  EXPECT_EQ(services.repairs, 1);
  EXPECT_TRUE(sink.files.empty());
  EXPECT_EQ(observer.notListed, std::vector<std::string>{"does-not-exist"});
}

TEST_F(ScanRunTest, FolderLinksAreNotFollowed) {
  Touch("real/a.exe");
  std::error_code ec;
  fs::create_directory_symlink(dir.path(), dir.path() / "real" / "loop", ec);
  if (ec) GTEST_SKIP() << "cannot create a folder link here: " << ec.message();
  Scan();
  EXPECT_EQ(sink.files, std::vector<std::string>{"a.exe"});
}

// Prunes folders named "skip" and passes over files named "*.tmp.exe"; records
// every question it is asked.
struct RecordingFilter : WalkFilter {
  mutable std::vector<std::string> asked;
  bool EntersFolder(const fs::path& f) const override {
    asked.push_back(f.filename().string() + "/");
    return f.filename() != "skip";
  }
  bool TakesFile(const fs::path& f) const override {
    asked.push_back(f.filename().string());
    return f.filename().string().find(".tmp.") == std::string::npos;
  }
};

TEST_F(ScanRunTest, AFilterPrunesFoldersUnlistedAndPassesOverFiles) {
  Touch("a.exe");
  Touch("b.tmp.exe");
  Touch("skip/c.exe");
  Touch("skip/inner/d.exe");
  Touch("keep/e.exe");
  RecordingFilter filter;
  Scan({.Filter = &filter});
  std::sort(sink.files.begin(), sink.files.end());
  EXPECT_EQ(sink.files, (std::vector<std::string>{"a.exe", "e.exe"}));
  EXPECT_EQ(observer.totalFiles, 2u);    // passed-over files are not counted
  EXPECT_EQ(observer.totalFolders, 1u);  // nor pruned folders
  for (const auto& question : filter.asked) {
    EXPECT_NE(question, "inner/") << "a pruned folder was listed";
    EXPECT_NE(question, "c.exe") << "a pruned folder was listed";
  }
}

TEST_F(ScanRunTest, CommandRefusesTargetsThatAreNotDriveFolders) {
  auto run = MakeRun();
  for (const char* target : {"C:", "My Computer", "", "C:/data", "\\\\server\\share"}) {
    observer.messages.clear();
    EXPECT_FALSE(run.StartFromCommand(target)) << target;
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_EQ(observer.messages[0], std::make_pair(std::string("Path not found !"), MessageIcon::Exclamation));
  }
  EXPECT_TRUE(ScanRun::IsDriveFolderText("C:\\"));
}

TEST_F(ScanRunTest, ShellHandOverFollowsTheScanCommandsRules) {
  auto run = MakeRun();
  for (const char* target : {"C:", "My Computer", "/home/user", ""}) {
    observer.messages.clear();
    EXPECT_FALSE(run.ScanContextMenu(target)) << target;
    ASSERT_EQ(observer.messages.size(), 1u) << target;
    EXPECT_EQ(observer.messages[0].first, "Path not found !");
  }
  EXPECT_TRUE(services.extractDeletes == 0 && sink.files.empty());
  // A drive folder is scanned with a trailing backslash added.
  EXPECT_TRUE(run.ScanContextMenu("Q:\\kestro-missing"));
  EXPECT_EQ(state.ScanTarget.u8string(), u8"Q:\\kestro-missing\\");
  EXPECT_EQ(services.extractDeletes, 1);
  services.extractDeletes = 0;
  // A folder path the window has already accepted is scanned as it is.
  EXPECT_TRUE(run.ScanContextMenu(dir.path()));
  EXPECT_EQ(state.ScanTarget.native().back(), fs::path::preferred_separator);
  EXPECT_EQ(services.extractDeletes, 1);
  services.extractDeletes = 0;

  // While a scan runs, a hand-over (or the Scan command) only brings the scan
  // page forward; the running scan keeps its target.
  state.ScanRunning = true;
  state.ScanTarget = dir.path();
  observer.messages.clear();
  EXPECT_FALSE(run.ScanContextMenu("D:\\other"));
  EXPECT_FALSE(run.StartFromCommand("D:\\other\\"));
  EXPECT_EQ(observer.broughtForward, 2);
  EXPECT_TRUE(observer.messages.empty());
  EXPECT_EQ(state.ScanTarget, dir.path());
  EXPECT_EQ(services.extractDeletes, 0);  // no run finished
}

TEST(ScanTexts, ScanPathShortening) {
  struct Case {
    std::string_view folder, name, shown;
  };
  const Case cases[] = {
      {"C:\\short\\", "file.exe", "C:\\short\\file.exe"},
      {"C:\\Windows\\System32\\drivers\\etc\\", "hosts.exe", "C:\\Windows\\...\\hosts.exe"},
      {"C:\\Windows\\System32\\drivers\\", "a-very-long-file-name-here.exe", "C:\\Windows\\...\\...e-name-here.exe"},
      {"C:\\Windows\\System32\\drivers\\", "exactly-19-chars.ab", "C:\\Windows\\...\\exactly-19-chars.ab"},
      {"C:\\", "a-name-that-is-long-enough-to-shorten.exe", "...\\...-to-shorten.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortenScanPath(c.folder, c.name, '\\'), c.shown) << c.name;
  // 40 characters is shown whole, 41 is shortened.
  EXPECT_EQ(ShortenScanPath("C:\\abcdefghij\\", std::string(26, 'n'), '\\').size(), 40u);
  EXPECT_NE(ShortenScanPath("C:\\abcdefghij\\", std::string(27, 'n'), '\\').size(), 41u);
}

TEST(ScanTexts, MemberNamesAndStatusTexts) {
  EXPECT_EQ(ShortenMemberName("dir\\evil.exe"), "dir\\evil.exe");
  EXPECT_EQ(ShortenMemberName("first\\second\\third\\fourth\\fifth\\name-of-it.exe"), "first\\...\\name-of-it.exe");
  EXPECT_EQ(BufferingStatus(12, 3), "STATUS : [ Buffering 12 Files, 3 directories ]");
  EXPECT_EQ(FinishStatus("Scanning completed !"), "STATUS : [ Scanning completed ! ]");
  ScanState s;
  for (int i = 0; i < 40000; ++i) s.CountArchiveMember();
  EXPECT_EQ(s.ArchiveMembersScanned, 32767);
}

}  // namespace
}  // namespace kestro::scan
