// Runs the built kestro-scan on the demo tree. The Windows tree runs the Windows
// build under Wine; both are held to the same expected detections.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "checks/extension_list.hpp"
#include "tests/support/demo_tree.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {
namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string Location(const test::ExpectedDetection& d) {
  std::string location = checks::PathUtf8(d.file);
  if (!d.member.empty()) location += ":" + std::string(1, static_cast<char>(fs::path::preferred_separator)) + d.member;
  return location;
}

// The detection line: name, blanks up to column 25 (5 at least), location.
std::string ExpectedLine(const test::ExpectedDetection& d) {
  const std::size_t pad = (d.name.size() >= 20 ? 0 : 20 - d.name.size()) + 5;
  return d.name + std::string(pad, ' ') + Location(d);
}

class ScanToolTest : public ::testing::Test {
 protected:
  void SetUp() override { expected_ = test::BuildDemoTree(dir_.path() / "demo"); }
  std::string Root() const { return (dir_.path() / "demo").string(); }
  test::TempDir dir_;
  std::vector<test::ExpectedDetection> expected_;
};

TEST_F(ScanToolTest, DetectsTheDemoTreeInWalkOrderTheSameWithTwoThreads) {
  const auto one = test::RunTool("kestro-scan", {Root()});
  EXPECT_EQ(one.exitCode, 1);
  std::vector<std::string> got = Lines(one.out);
  std::multiset<std::string> want;
  for (const auto& d : expected_) want.insert(ExpectedLine(d));
  EXPECT_EQ(std::multiset<std::string>(got.begin(), got.end()), want) << one.out;

  const auto two = test::RunTool("kestro-scan", {"-j", "2", Root()});
  EXPECT_EQ(two.exitCode, 1);
  EXPECT_EQ(two.out, one.out);  // same detections in the same order
}

TEST_F(ScanToolTest, JsonLinesCarryNameLocationPathPackerAndTime) {
  const auto result = test::RunTool("kestro-scan", {"--json", (dir_.path() / "demo" / "eicar.com").string()});
  EXPECT_EQ(result.exitCode, 1);
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 1u);
  const std::string& line = lines[0];
  EXPECT_EQ(line.rfind("{\"name\":\"EICAR-AV-TEST\",\"location\":", 0), 0u) << line;
  for (const char* key : {"\"path\":", "\"packer\":\"Unknown\"", "\"time\":"}) {
    EXPECT_NE(line.find(key), std::string::npos) << key << " in " << line;
  }
}

TEST_F(ScanToolTest, ExitStatusesAndArchiveSwitch) {
  // A clean folder: no detection.
  test::WriteFile(dir_ / "clean.txt", "nothing here");
  fs::create_directories(dir_.path() / "empty");
  EXPECT_EQ(test::RunTool("kestro-scan", {(dir_.path() / "empty").string()}).exitCode, 0);
  // Errors: no path, unknown option, a bad -j, a missing database folder.
  EXPECT_EQ(test::RunTool("kestro-scan", {}).exitCode, 2);
  EXPECT_EQ(test::RunTool("kestro-scan", {"--frobnicate", Root()}).exitCode, 2);
  EXPECT_EQ(test::RunTool("kestro-scan", {"-j", "0", Root()}).exitCode, 2);
  EXPECT_EQ(test::RunTool("kestro-scan", {"--db", (dir_.path() / "empty").string(), Root()}).exitCode, 2);
  // Without archives the member detection disappears.
  const auto noArchive = test::RunTool("kestro-scan", {"--no-archive", Root()});
  EXPECT_EQ(Lines(noArchive.out).size(), expected_.size() - 1);
  EXPECT_EQ(noArchive.out.find("usb-stick.rar"), std::string::npos);
  const auto help = test::RunTool("kestro-scan", {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--quarantine"), std::string::npos);
}

TEST_F(ScanToolTest, AMissingArchiveLibraryIsReportedOnceAtTheFirstArchive) {
  // The program alone in a folder, without the archive library beside it.
#ifdef _WIN32
  const std::string program = "kestro-scan.exe";
#else
  const std::string program = "kestro-scan";
#endif
  const fs::path alone = dir_.path() / "alone" / "bin";
  fs::create_directories(alone);
  fs::copy_file(test::OutputDir() / program, alone / program);
  fs::permissions(alone / program, fs::perms::owner_exec, fs::perm_options::add);
  const std::string db = test::OutputDir().string();
  const std::string tool = (alone / "kestro-scan").string();
  const std::string warning = "archives are skipped";
  test::RunOptions both;
  both.withStderr = true;

  // No archive in the tree: the library is never needed, and nothing is said.
  fs::create_directories(dir_.path() / "plain");
  test::WriteFile(dir_.path() / "plain" / "a.vbs", "WScript.Echo 1");
  const auto plain = test::RunTool(tool, {"--db", db, (dir_.path() / "plain").string()}, both);
  EXPECT_EQ(plain.exitCode, 0) << plain.out;
  EXPECT_EQ(plain.out.find(warning), std::string::npos) << plain.out;

  // The demo tree holds an archive: the warning comes once, and the other
  // detections are all there.
  const auto demo = test::RunTool(tool, {"--db", db, Root()}, both);
  EXPECT_EQ(demo.exitCode, 1);
  const std::size_t first = demo.out.find(warning);
  ASSERT_NE(first, std::string::npos) << demo.out;
  EXPECT_EQ(demo.out.find(warning, first + 1), std::string::npos) << demo.out;
  for (const auto& d : expected_) {
    if (d.member.empty()) {
      EXPECT_NE(demo.out.find(ExpectedLine(d)), std::string::npos) << d.name;
    }
  }
}

TEST_F(ScanToolTest, LogFileUsesTheProductLayout) {
  const fs::path logFile = dir_.path() / "logs" / "scan.log";
  const auto result = test::RunTool("kestro-scan", {"--log", logFile.string(), Root()});
  EXPECT_EQ(result.exitCode, 1);
  const auto bytes = test::ReadFile(logFile);
  const std::string log(bytes.begin(), bytes.end());
  EXPECT_NE(log.find("# KESTRO Antivirus - Ver. 4.2 Log file #\r\n"), std::string::npos);
  EXPECT_NE(log.find("Scanning in    :  " + Root()), std::string::npos);
  EXPECT_NE(log.find("Virus Name               Path / Location\r\n"), std::string::npos);
  for (const auto& d : expected_) EXPECT_NE(log.find(ExpectedLine(d) + "\r\n"), std::string::npos) << d.name;
}

TEST_F(ScanToolTest, LogHasAHeaderForEveryTargetFilesIncluded) {
  const fs::path logFile = dir_.path() / "files.log";
  const fs::path eicar = dir_.path() / "demo" / "eicar.com";
  const fs::path clean = dir_.path() / "demo" / "bin" / "clean.exe";
  EXPECT_EQ(test::RunTool("kestro-scan", {"--log", logFile.string(), eicar.string(), clean.string()}).exitCode, 1);
  const auto bytes = test::ReadFile(logFile);
  const std::string log(bytes.begin(), bytes.end());
  const std::size_t first = log.find("Scanning in    :  " + eicar.string() + "\r\n");
  const std::size_t hit = log.find("EICAR-AV-TEST");
  const std::size_t second = log.find("Scanning in    :  " + clean.string() + "\r\n");
  ASSERT_NE(first, std::string::npos) << log;
  ASSERT_NE(second, std::string::npos) << log;
  EXPECT_LT(first, hit);
  EXPECT_LT(hit, second);
}

TEST_F(ScanToolTest, CleanDeletesDetectedFilesButNotArchives) {
  const auto result = test::RunTool("kestro-scan", {"--clean", Root()});
  EXPECT_EQ(result.exitCode, 1);
  for (const auto& d : expected_) {
    // A hit inside an archive deletes only the extracted copy.
    EXPECT_EQ(fs::exists(d.file), !d.member.empty()) << d.file.string();
  }
  EXPECT_TRUE(fs::exists(dir_.path() / "demo" / "bin" / "clean.exe"));
}

}  // namespace
}  // namespace kestro
