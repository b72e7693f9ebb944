// The scan log: a scripted run compared byte for byte with a golden file, and
// the column and failure rules.
#include <gtest/gtest.h>

#include "log/scan_log.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::log {
namespace {

std::string ReadText(const std::filesystem::path& path) {
  const auto bytes = test::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// One program run: start, two processes, a scan with detections and actions.
void ScriptedRun(const ScanLog& log) {
  log.StartLog();
  log.WriteProcessLine("C:\\WINDOWS\\Explorer.EXE");
  log.WriteProcessLine("C:\\Program Files\\KESTRO\\KESTRO.exe");
  log.StartScanSection();
  log.WriteScanHeader("C:\\");
  log.WriteLine(ColumnLine("W32.OLIGA", "C:\\x\\setup.exe"));
  log.WriteLine(ColumnLine("Trojan.Downloader.Agent25", "C:\\x\\dl.exe"));
  log.WriteLine(ColumnLine("Exactly.Twenty.Chars", "C:\\x\\twenty.exe"));
  log.WriteLine(ColumnLine("* Cure", "C:\\x\\setup.exe"));
  log.WriteLine(ColumnLine("* Quarantine", "C:\\x\\dl.exe"));
  log.WriteLine(ColumnLine("* Clean", "dl.exe.vir"));
  log.WriteLine(RestoreLine("x.exe", "D:\\r\\"));
  log.WriteLine(RestoreLine("a-rather-long-file-name.exe", "D:\\r\\"));
}

TEST(ScanLog, ScriptedRunMatchesTheGoldenFile) {
  test::TempDir dir;
  const ScanLog log(dir.path(), LogIdentity{"KESTRO Antivirus", "4.2.0"});
  ScriptedRun(log);
  const auto golden = test::SourceDir() / "tests" / "log" / "golden_scan.log";
  ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
  EXPECT_EQ(ReadText(log.LogFile()), ReadText(golden));
  EXPECT_EQ(log.LogFile(), dir.path() / "Log" / "kestro.log");
}

TEST(ScanLog, StartingAgainLeavesOnlyTheNewRun) {
  test::TempDir dir;
  const ScanLog log(dir.path(), LogIdentity{"KESTRO Antivirus", "4.2.0"});
  ScriptedRun(log);
  log.StartLog();
  const std::string text = ReadText(log.LogFile());
  EXPECT_EQ(text.find("[ SCANNING ]"), std::string::npos);
  EXPECT_NE(text.find("[ PROCESS LIST ]"), std::string::npos);
}

TEST(ScanLog, ColumnRule) {
  struct Case {
    std::string label;
    std::size_t spaces;
  };
  const std::vector<Case> cases = {
      {"W32.OLIGA", 16}, {"* Cure", 19}, {"* Quarantine", 13}, {"* Clean", 18},
      {std::string(20, 'n'), 5}, {std::string(21, 'n'), 5}, {std::string(25, 'n'), 5}, {"", 25},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColumnLine(c.label, "P"), c.label + std::string(c.spaces, ' ') + "P") << c.label;
  }
  EXPECT_EQ(RestoreLine("x.exe", "D:\\r\\"),
            "* Restore" + std::string(16, ' ') + "x.exe" + std::string(18, ' ') + "-->" + std::string(10, ' ') +
                "D:\\r\\x.exe");
}

TEST(ScanLog, FailuresAreSilent) {
  test::TempDir dir;
  // The scanning heading does not create the folder: nothing is written.
  const ScanLog fresh(dir.path() / "fresh", LogIdentity{"K", "1"});
  std::filesystem::create_directory(dir.path() / "fresh");
  fresh.StartScanSection();
  EXPECT_FALSE(std::filesystem::exists(fresh.LogFile()));
  // The other writers create it.
  fresh.WriteLine("line");
  EXPECT_EQ(ReadText(fresh.LogFile()), "line\r\n");
  // A program folder that cannot hold a "Log" folder (it is a file).
  test::WriteFile(dir.path() / "blocked", "file");
  const ScanLog blocked(dir.path() / "blocked", LogIdentity{"K", "1"});
  blocked.StartLog();
  blocked.WriteLine("nowhere");
  EXPECT_FALSE(std::filesystem::exists(blocked.LogFile()));
}

}  // namespace
}  // namespace kestro::log
