// The console tools with any file name and any kind of file: JSON that stays
// valid for every name, one column line per detection, special files refused
// with a message, kestro-scan's options for scripts and rescue systems, and
// non-ASCII names shown correctly in the log, the console and the JSON (the
// Windows tree runs the Windows programs under Wine).
#include <gtest/gtest.h>

#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "checks/extension_list.hpp"
#include "tests/support/demo_tree.hpp"
#include "tests/support/json_reader.hpp"
#include "tests/support/rar_writer.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/scratch_mount.hpp"
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

fs::path Native(const std::string& bytes) { return fs::path(std::u8string(bytes.begin(), bytes.end())); }

std::string Text(const fs::path& path) { return checks::PathUtf8(path); }


bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

#ifndef _WIN32
std::string Base64Decode(const std::string& text) {
  const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::uint32_t group = 0;
  int bits = 0;
  for (const char c : text) {
    if (c == '=') break;
    group = (group << 6) | static_cast<std::uint32_t>(digits.find(c));
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((group >> bits) & 0xFF));
    }
  }
  return out;
}

TEST(ScanNames, JsonStaysValidAndRoundTripsEveryName) {
  test::TempDir dir;
  const fs::path root = dir / "names";
  fs::create_directories(root);
  const std::vector<std::string> names = {
      "quote\"d.com",         "back\\slash.com",       "tab\there.com",     "line\nbreak.com",
      "cr\rname.com",         "esc\x1b[31mred.com",    "bad\xFF\xFE.com",   "\xC3\x28half.com",
      std::string(251, 'a') + ".com",
  };
  std::set<std::string> want;
  for (const auto& name : names) {
    test::WriteFile(root / Native(name), test::AntiMalwareTestFile());
    want.insert((root / Native(name)).native());
  }
  const fs::path deep = root / Native(std::string(255, 'd')) / Native("in\x01side.com");
  fs::create_directories(deep.parent_path());
  test::WriteFile(deep, test::AntiMalwareTestFile());
  want.insert(deep.native());

  const auto json = test::RunTool("kestro-scan", {"--json", root.string()});
  EXPECT_EQ(json.exitCode, 1);
  std::set<std::string> got;
  for (const std::string& line : Lines(json.out)) {
    std::string error;
    const auto value = test::ParseJson(line, &error);
    ASSERT_TRUE(value.has_value()) << error << " in " << line;
    const test::JsonValue* path = value->Member("path");
    ASSERT_NE(path, nullptr);
    const test::JsonValue* bytes = value->Member("path_bytes");
    got.insert(bytes != nullptr ? Base64Decode(bytes->text) : path->text);
    EXPECT_EQ(value->Member("name")->text, "EICAR-AV-TEST");
  }
  EXPECT_EQ(got, want);

  // The column layout: one line per detection, no control character in it.
  const auto columns = test::RunTool("kestro-scan", {root.string()});
  const auto lines = Lines(columns.out);
  EXPECT_EQ(lines.size(), want.size()) << columns.out;
  for (const auto& line : lines) {
    for (const char c : line) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << line;
  }
  EXPECT_TRUE(Contains(columns.out, "line?break.com"));
}

// A named pipe, a socket and a device given to each tool: a message and a
// non-zero exit status at once (a hang would be killed and fail the test).
TEST(ScanNames, SpecialFilesAreRefusedByEveryTool) {
  test::TempDir dir;
  const fs::path pipe = dir / "pipe.exe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const fs::path socketPath = dir / "sock.exe";
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  const std::string quarantine = (dir / "q").string();
  for (const std::string& special : {pipe.string(), socketPath.string(), std::string("/dev/zero")}) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {"kestro-scan", {special}},
        {"kestro-sigtool", {"crc", special}},
        {"kestro-sigtool", {"head", special}},
        {"kestro-sigtool", {"icon", special}},
        {"kestro-sigtool", {"check", special}},
        {"kestro-sigtool", {"dump", special, "--kind", "0"}},
        {"kestro-sigtool", {"build", "--kind", "1", special, (dir / "out.avn").string()}},
        {"kestro-quarantine", {"--dir", quarantine, "add", special}},
        {"kestro-quarantine", {"--dir", quarantine, "pack", special, (dir / "packed").string()}},
        {"kestro-quarantine", {"--dir", quarantine, "unpack", special, (dir / "unpacked").string()}},
    };
    for (const auto& [tool, args] : runs) {
      const auto result = test::RunTool(tool, args, {.withStderr = true, .killAfterSeconds = 10});
      EXPECT_NE(result.exitCode, 0) << tool << " " << args[0] << " " << special;
      EXPECT_NE(result.exitCode, 137) << tool << " " << args[0] << " " << special << " hung";
      EXPECT_TRUE(Contains(result.out, "not a regular file")) << tool << " " << args[0] << ": " << result.out;
    }
  }
  EXPECT_TRUE(fs::is_fifo(pipe));  // nothing quarantined or deleted it
  // Met in a walk, special files are passed over.
  const auto walk = test::RunTool("kestro-scan", {dir.path().string()}, {.killAfterSeconds = 10});
  EXPECT_EQ(walk.exitCode, 0);
  ::close(sock);
}

TEST(ScanOptions, OneFileSystemStaysOnTheTargetsVolume) {
  test::TempDir dir;
  const fs::path root = dir / "disk";
  test::ScratchMount mount(root / "mounted", 1 << 20);
  if (!mount.ok()) GTEST_SKIP() << "cannot mount a file system here: " << mount.why();
  test::WriteFile(root / "here.com", test::AntiMalwareTestFile());
  test::WriteFile(root / "mounted" / "there.com", test::AntiMalwareTestFile());
  EXPECT_EQ(Lines(test::RunTool("kestro-scan", {root.string()}).out).size(), 2u);
  const auto one = test::RunTool("kestro-scan", {"--one-file-system", root.string()});
  EXPECT_EQ(one.exitCode, 1);
  ASSERT_EQ(Lines(one.out).size(), 1u) << one.out;
  EXPECT_TRUE(Contains(one.out, "here.com"));
}
#endif

class ScanOptionsTest : public ::testing::Test {
 protected:
  ScanOptionsTest() {
    for (const char* name : {"a.com", "skip-me.com", "cache/b.com", "keep/c.com", "keep/cache/d.com"}) {
      fs::create_directories((root_ / name).parent_path());
      test::WriteFile(root_ / name, test::AntiMalwareTestFile());
    }
    test::WriteFile(root_ / "clean.exe", "MZ nothing here");
  }
  std::set<std::string> Detected(const std::vector<std::string>& args, const test::RunOptions& options = {}) {
    const auto result = test::RunTool("kestro-scan", args, options);
    std::set<std::string> names;
    for (const auto& line : Lines(result.out)) {
      if (line.empty()) continue;
      const std::size_t slash = line.find_last_of("\\/");
      names.insert(line.substr(slash + 1));
    }
    return names;
  }
  test::TempDir dir_;
  fs::path root_ = dir_ / "tree";
};

TEST_F(ScanOptionsTest, ExclusionsPassOverFilesAndPruneFolders) {
#ifndef _WIN32
  // A pruned folder is never listed: one that cannot be listed gives no warning.
  const bool canLock = ::geteuid() != 0;
  if (canLock) fs::permissions(root_ / "cache", fs::perms::none);
#endif
  const auto result = test::RunTool("kestro-scan", {"--exclude", "skip-*", "--exclude-dir", "cache", root_.string()},
                                    {.withStderr = true});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(Contains(result.out, "skip-me.com"));
  EXPECT_FALSE(Contains(result.out, "b.com"));
  EXPECT_FALSE(Contains(result.out, "d.com"));
  EXPECT_TRUE(Contains(result.out, "a.com") && Contains(result.out, "c.com"));
  EXPECT_FALSE(Contains(result.out, "cannot list")) << result.out;
#ifndef _WIN32
  if (canLock) fs::permissions(root_ / "cache", fs::perms::owner_all);
#endif
  // Patterns match the whole path too, and "dir/" names the folder.
  EXPECT_EQ(Detected({"--exclude=*keep*", "--exclude-dir=cache/", root_.string()}),
            (std::set<std::string>{"a.com", "skip-me.com"}));
}

TEST_F(ScanOptionsTest, FileListsFromAFileAndFromStandardInput) {
  const std::string list = (root_ / "a.com").string() + "\r\n\n" + (root_ / "keep").string() + "\n" +
                           (root_ / "clean.exe").string();
  test::WriteFile(dir_ / "list.txt", list);
  const std::set<std::string> want = {"a.com", "c.com", "d.com"};
  EXPECT_EQ(Detected({"--file-list", (dir_ / "list.txt").string()}), want);
  EXPECT_EQ(Detected({"--file-list", "-"}, {.input = list + "\n"}), want);
  // A listed path that does not exist is reported; the rest is scanned.
  const auto missing = test::RunTool("kestro-scan", {"--file-list", "-"},
                                     {.input = (root_ / "nope.com").string() + "\n" + (root_ / "a.com").string() + "\n",
                                      .withStderr = true});
  EXPECT_EQ(missing.exitCode, 1);  // detections outrank errors, as for paths on the command line
  EXPECT_TRUE(Contains(missing.out, "nope.com: no such file or folder"));
  EXPECT_TRUE(Contains(missing.out, "EICAR-AV-TEST"));
  EXPECT_EQ(test::RunTool("kestro-scan", {"--file-list", "-"}, {.input = (root_ / "nope.com").string()}).exitCode, 2);
  EXPECT_EQ(test::RunTool("kestro-scan", {"--file-list", (dir_ / "no-list.txt").string()}).exitCode, 2);
}

TEST_F(ScanOptionsTest, QuietPrintsDetectionsOnlyAndVersionAnswers) {
  const auto quiet = test::RunTool("kestro-scan", {"-q", (root_ / "keep").string()}, {.withStderr = true});
  EXPECT_EQ(quiet.exitCode, 1);
  const auto lines = Lines(quiet.out);
  ASSERT_EQ(lines.size(), 2u) << quiet.out;
  for (const auto& line : lines) EXPECT_EQ(line.rfind("EICAR-AV-TEST", 0), 0u) << line;
  const auto version = test::RunTool("kestro-scan", {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("kestro-scan (KESTRO Antivirus) 4.2", 0), 0u) << version.out;
  const auto help = test::RunTool("kestro-scan", {"--help"});
  for (const char* option : {"--file-list", "--exclude GLOB", "--exclude-dir", "--one-file-system", "--quiet", "--version"}) {
    EXPECT_TRUE(Contains(help.out, option)) << option;
  }
}

// The ANSI edge of the log, the console edge and the JSON, with a non-ASCII
// folder, file and archive member name.
std::string InLogEncoding(const std::string& utf8) {
#ifdef _WIN32
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  const int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(m), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), n, ansi.data(), m, nullptr, nullptr);
  return ansi;
#else
  return utf8;
#endif
}

TEST(ScanNames, NonAsciiNamesShowTheSameInLogConsoleAndJson) {
  test::TempDir dir;
  const fs::path folder = dir / "tree" / Native("über");
  fs::create_directories(folder);
  test::WriteFile(folder / Native("über.com"), test::AntiMalwareTestFile());
  const std::string autorun = "[autorun]\r\nopen=setup.exe\r\nshell\\open\\command=setup.exe\r\n";
  test::WriteFile(folder / "archiv.rar",
                  test::WriteStoredRar(test::RarFormat::Rar5, {test::TextMember("über autorun.inf", autorun)}));
  const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
  const std::string fileLocation = Text(folder / Native("über.com"));
  const std::string memberLocation = Text(folder / "archiv.rar") + ":" + sep + "über autorun.inf";
  const std::string fileLine = "EICAR-AV-TEST" + std::string(12, ' ') + fileLocation;
  const std::string memberLine = "[ARRS] ÜBE" + std::string(15, ' ') + memberLocation;

  const fs::path log = dir / "scan.log";
  const auto columns = test::RunTool("kestro-scan", {"--log", log.string(), (dir / "tree").string()});
  EXPECT_EQ(columns.exitCode, 1);
  const auto lines = Lines(columns.out);
  EXPECT_EQ(std::multiset<std::string>(lines.begin(), lines.end()), (std::multiset<std::string>{fileLine, memberLine}))
      << columns.out;

  const auto bytes = test::ReadFile(log);
  const std::string logText(bytes.begin(), bytes.end());
  EXPECT_TRUE(Contains(logText, InLogEncoding(fileLine) + "\r\n")) << logText;
  EXPECT_TRUE(Contains(logText, InLogEncoding(memberLine) + "\r\n")) << logText;

  const auto json = test::RunTool("kestro-scan", {"--json", (dir / "tree").string()});
  std::multiset<std::string> locations;
  for (const auto& line : Lines(json.out)) {
    const auto value = test::ParseJson(line);
    ASSERT_TRUE(value.has_value()) << line;
    locations.insert(value->Member("location")->text);
    EXPECT_EQ(value->Member("path_bytes"), nullptr);
  }
  EXPECT_EQ(locations, (std::multiset<std::string>{fileLocation, memberLocation}));
}

}  // namespace
}  // namespace kestro
