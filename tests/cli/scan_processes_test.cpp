// kestro-scan --processes finds a running copy of a test program whose sampled
// checksum is in a test database, reports it like a file, lists the processes
// in the log, and leaves the program running.
#include <gtest/gtest.h>

#include "checks/extension_list.hpp"
#include "io/sampled_checksum.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {
namespace fs = std::filesystem;

constexpr const char* kName = "Test.Process.Sleeper";

class ScanProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "run");
    sleeper_ = dir_ / "run" / test::ProgramFileName("kestro-sleeper");
    fs::copy_file(test::OwnProgramFolder() / test::ProgramFileName("kestro-test-sleeper"), sleeper_);
    // The database: the sleeper's sampled checksum under a test name.
    test::WriteFile(dir_ / "s0.txt", std::string(kName) + ";" + checks::SampledFileChecksum(sleeper_) + "\n");
    test::WriteFile(dir_ / "s1.txt", "");
    test::WriteFile(dir_ / "s2.txt", "");
    for (const char* kind : {"0", "1", "2"}) {
      const std::string out = std::string("DB_") + kind + "x.avn";
      const auto built = test::RunTool("kestro-sigtool", {"build", "--kind", kind,
                                                          (dir_ / (std::string("s") + kind + ".txt")).string(),
                                                          (dir_ / out).string()});
      ASSERT_EQ(built.exitCode, 0) << out;
    }
  }

  test::ProgramResult ScanProcesses(std::vector<std::string> more = {}) {
    std::vector<std::string> args{"--db", dir_.path().string(), "--processes"};
    args.insert(args.end(), more.begin(), more.end());
    return test::RunTool("kestro-scan", args);
  }

  test::TempDir dir_;
  fs::path sleeper_;
};

TEST_F(ScanProcessesTest, ReportsTheRunningCopyLikeAFileAndLeavesItRunning) {
  // Copies of the test program that other test runs on this machine start
  // carry the same checksum: only the line of this copy is looked for.
  const std::string location = checks::PathUtf8(sleeper_);
  const std::string line = std::string(kName) + std::string(5, ' ') + location + "\n";
  EXPECT_EQ(ScanProcesses().out.find(location), std::string::npos) << "not running yet";

  test::ChildProcess running(sleeper_, {"60"});
  test::ChildProcess sameFile(sleeper_, {"60"});
  ASSERT_TRUE(running.Started());
  ASSERT_TRUE(sameFile.Started());
  const fs::path logFile = dir_ / "scan.log";
  const auto result = ScanProcesses({"--log", logFile.string()});
  EXPECT_EQ(result.exitCode, 1) << result.out;
  // One line: the name, blanks up to the log's column, the executable's path.
  EXPECT_NE(result.out.find(line), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find(line), result.out.rfind(line)) << "two processes, one file, one line";

  const auto bytes = test::ReadFile(logFile);
  const std::string log(bytes.begin(), bytes.end());
  const std::size_t processes = log.find("[ PROCESS LIST ]");
  const std::size_t processLine = log.find("-> " + location + "\r\n");
  const std::size_t scanning = log.find("[ SCANNING ]");
  const std::size_t detection = log.find(std::string(kName) + std::string(5, ' ') + location + "\r\n");
  ASSERT_NE(processes, std::string::npos) << log;
  ASSERT_NE(processLine, std::string::npos) << log;
  ASSERT_NE(scanning, std::string::npos) << log;
  ASSERT_NE(detection, std::string::npos) << log;
  EXPECT_LT(processes, processLine);
  EXPECT_LT(processLine, scanning);

  // Never ended, not even with --clean (which is for the files under PATHs).
  const auto clean = ScanProcesses({"--clean"});
  EXPECT_EQ(clean.exitCode, 1);
  EXPECT_FALSE(running.WaitForExit(200));
  EXPECT_TRUE(fs::exists(sleeper_));
}

TEST(ScanProcessesOptions, ProcessesNeedNoPathAndAreInTheHelp) {
  EXPECT_EQ(test::RunTool("kestro-scan", {}).exitCode, 2);
  const auto help = test::RunTool("kestro-scan", {"--help"});
  EXPECT_NE(help.out.find("--processes"), std::string::npos);
}

}  // namespace
}  // namespace kestro
