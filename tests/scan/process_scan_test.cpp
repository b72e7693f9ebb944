// The running-process scan over fakes: path normalisation, the question text,
// the walk, the desktop check's branches (guard off, Allow, Block) and the
// console's report.
#include "scan/process_scan.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "checks/extension_list.hpp"
#include "icon/icon_check.hpp"
#include "io/sampled_checksum.hpp"
#include "platform/memory_registry.hpp"
#include "tests/support/demo_tree.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {
namespace fs = std::filesystem;

TEST(NormaliseProcessPath, Table) {
  struct Case {
    const char* reported;
    const char* windows;
    const char* expected;
  };
  const Case cases[] = {
      {R"(\??\C:\Windows\system32\csrss.exe)", R"(C:\Windows)", R"(C:\Windows\system32\csrss.exe)"},
      {R"(\\?\C:\Long\app.exe)", R"(C:\Windows)", R"(C:\Long\app.exe)"},
      {R"(\SystemRoot\System32\smss.exe)", R"(C:\Windows)", R"(C:\Windows\System32\smss.exe)"},
      {R"(\SystemRoot\System32\smss.exe)", R"(C:\Windows\)", R"(C:\Windows\System32\smss.exe)"},
      {R"(\SystemRoot\x.exe)", R"(C:\)", R"(C:\x.exe)"},
      // The replacement leaves a doubled separator that the last step removes.
      {R"(%systemroot%\system32\svchost.exe)", R"(C:\Windows)", R"(C:\Windows\system32\svchost.exe)"},
      // Case-sensitive: other spellings stay.
      {R"(\systemroot\x.exe)", R"(C:\Windows)", R"(\systemroot\x.exe)"},
      {R"(%SystemRoot%\x.exe)", R"(C:\Windows)", R"(%SystemRoot%\x.exe)"},
      {R"(\??\c:\a\??\b.exe)", R"(C:\Windows)", R"(c:\ab.exe)"},
      // Every pair becomes one, in one pass.
      {R"(C:\\dir\\\\app.exe)", R"(C:\Windows)", R"(C:\dir\\app.exe)"},
      {R"(C:\\\dir\app.exe)", R"(C:\Windows)", R"(C:\\dir\app.exe)"},
      // No Windows folder known: the system forms stay.
      {R"(\SystemRoot\x.exe)", "", R"(\SystemRoot\x.exe)"},
      // Network paths keep their leading pair.
      {R"(\\server\share\app.exe)", R"(C:\Windows)", R"(\\server\share\app.exe)"},
      {R"(\\server\share\\app.exe)", R"(C:\Windows)", R"(\\server\share\app.exe)"},
      {R"(\\?\UNC\server\share\app.exe)", R"(C:\Windows)", R"(\\server\share\app.exe)"},
      {R"(\??\UNC\server\share\app.exe)", R"(C:\Windows)", R"(\\server\share\app.exe)"},
      {"/usr/bin/sleep", "", "/usr/bin/sleep"},
      {"", R"(C:\Windows)", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scan::NormaliseProcessPath(c.reported, c.windows), c.expected) << c.reported;
  }
}

TEST(ProcessQuestion, TextAndFileName) {
  EXPECT_EQ(scan::ProcessQuestionText("evil.exe", 4242),
            "Potentially unwanted program has been detected !\r\n\r\n"
            "Name    : evil.exe\r\n"
            "PID         : 4242\r\n\r\n"
            "Are you sure want to allow this program ?");
  EXPECT_EQ(scan::PathFileName(R"(C:\a b\evil.exe)"), "evil.exe");
  EXPECT_EQ(scan::PathFileName("/opt/x/sleeper"), "sleeper");
  EXPECT_EQ(scan::PathFileName("plain.exe"), "plain.exe");
}

TEST(RegistryProcessGuard, OnForAnyNumberButZeroOffWhenUnreadable) {
  using platform::RegistryRoot;
  platform::MemoryRegistry registry;
  const scan::RegistryProcessGuard guard(registry);
  EXPECT_FALSE(guard.IsOn()) << "no key";
  for (const std::uint32_t value : {1u, 2u, 0xFFFFFFFFu}) {
    registry.SetNumber(RegistryRoot::CurrentUser, "Software\\KESTRO", "Process", value);
    EXPECT_TRUE(guard.IsOn()) << value;
  }
  // Switched off: the next read sees it.
  registry.SetNumber(RegistryRoot::CurrentUser, "Software\\KESTRO", "Process", 0);
  EXPECT_FALSE(guard.IsOn());
  registry.SetText(RegistryRoot::CurrentUser, "Software\\KESTRO", "Process", "1");
  EXPECT_FALSE(guard.IsOn()) << "a text is not a number";
  registry.SetNumber(RegistryRoot::CurrentUser, "Software\\KESTRO", "Process", 1);
  registry.FailReadsUnder(RegistryRoot::CurrentUser, "Software\\KESTRO", platform::kRegAccessDenied);
  EXPECT_FALSE(guard.IsOn()) << "a value that cannot be read";
}

// Everything the process scan does, in order, as one list of events.
using Events = std::vector<std::string>;

class FakeProcessList final : public platform::ProcessList {
 public:
  void ForEachProcess(const std::function<void(const platform::ProcessEntry&)>& visit) override {
    for (const auto& e : entries) visit(e);
  }
  std::vector<platform::ProcessEntry> entries;
};

class RecordingFreezer final : public platform::ProcessFreezer {
 public:
  explicit RecordingFreezer(Events& events) : events_(events) {}
  bool SetFrozen(std::uint32_t id, bool freeze) override {
    events_.push_back((freeze ? "freeze " : "thaw ") + std::to_string(id));
    return true;
  }

 private:
  Events& events_;
};

class ScriptedQuestion final : public platform::TwoButtonQuestion {
 public:
  explicit ScriptedQuestion(Events& events) : events_(events) {}
  int Ask(const std::string& text, const std::string& title, platform::MessageIcon icon,
          const std::string& first, const std::string& second) override {
    events_.push_back("ask");
    asked.push_back({title, text, icon});
    captions = {first, second};
    if (fail) throw std::runtime_error("no box");
    return answer;
  }
  int answer = platform::kFirstButtonAnswer;
  bool fail = false;
  std::vector<ShownMessage> asked;
  std::pair<std::string, std::string> captions;

 private:
  Events& events_;
};

class EventTerminator final : public platform::ProcessTerminator {
 public:
  explicit EventTerminator(Events& events) : events_(events) {}
  int TerminateByFileName(const fs::path& file) override {
    events_.push_back("terminate " + checks::PathUtf8(file));
    return 2;
  }

 private:
  Events& events_;
};

class FixedGuard final : public scan::ProcessGuardSetting {
 public:
  bool IsOn() const override { return on; }
  bool on = true;
};

class EventObserver final : public scan::ProcessScanObserver {
 public:
  explicit EventObserver(Events& events) : events_(events) {}
  void CurrentProcess(std::string_view name) override { shown.emplace_back(name); }
  void ProcessNotReadable(std::uint32_t id) override {
    events_.push_back("not readable " + std::to_string(id));
  }
  void ShowDetectionList() override { events_.push_back("show list"); }
  void RefreshQuarantineList() override { events_.push_back("refresh quarantine"); }
  std::vector<std::string> shown;

 private:
  Events& events_;
};

class EventLog final : public scan::DetectionLog, public scan::ProcessLog {
 public:
  explicit EventLog(Events& events) : events_(events) {}
  void WriteLine(std::string_view line) override { events_.push_back("log " + std::string(line)); }
  void WriteProcessLine(const fs::path& path) override { processLines.push_back(checks::PathUtf8(path)); }
  std::vector<std::string> processLines;

 private:
  Events& events_;
};

class EventList final : public scan::DetectionList {
 public:
  explicit EventList(Events& events) : events_(events) {}
  void Append(scan::DetectionRecord record) override {
    events_.push_back("record " + record.infection);
    rows.push_back(std::move(record));
  }
  void ShowCount(std::uint32_t count) override { events_.push_back("count " + std::to_string(count)); }
  std::vector<scan::DetectionRecord> rows;

 private:
  Events& events_;
};

class EventDeleter final : public scan::DetectedFileDeleter {
 public:
  explicit EventDeleter(Events& events) : events_(events) {}
  void Delete(const fs::path& path) override { events_.push_back("delete " + checks::PathUtf8(path)); }

 private:
  Events& events_;
};

class EventSound final : public scan::DetectionSound {
 public:
  explicit EventSound(Events& events) : events_(events) {}
  void PlayDetected() override { events_.push_back("sound"); }

 private:
  Events& events_;
};

class FixedClock final : public scan::DetectionClock {
 public:
  std::string NowText() const override { return "2026-10-12 01:00:00"; }
};

class NoTargets final : public checks::TargetExistence {
 public:
  platform::PathExistence Exists(std::string_view) const override { return platform::PathExistence::Unknown; }
};

constexpr const char* kDetectionName = "Test.Process.A";

// A test program whose sampled checksum is listed, carrying the Inno Setup
// letters past its last sampled byte; copies of it live in two folders.
class ProcessScanTest : public ::testing::Test {
 protected:
  ProcessScanTest() {
    std::vector<std::uint8_t> image = DatabaseSampleImage();
    for (const char c : std::string_view("InnoSetup")) image.push_back(static_cast<std::uint8_t>(c));
    fs::create_directories(dir / "one");
    fs::create_directories(dir / "two");
    WriteFile(dir / "one" / "sleeper.exe", image);
    WriteFile(dir / "two" / "SLEEPER.EXE", image);
    WriteFile(dir / "one" / "sleeper.dll", image);
    WriteFile(dir / "one" / "clean.exe", "MZ nothing to see");
    lists.fileChecksums.Append(kDetectionName, checks::SampledFileChecksum(dir / "one" / "sleeper.exe"));
  }

  std::string Text(const fs::path& p) const { return checks::PathUtf8(p); }

  // Runs the desktop check on one process.
  void Check(const fs::path& path, std::uint32_t id) { processCheck.Check(path, Text(path), id); }

  TempDir dir;
  Events events;
  sigdb::SignatureLists lists;
  checks::NoIconCheck icon;
  NoTargets targets;
  EventList detections{events};
  EventSound sound{events};
  EventDeleter deleter{events};
  EventLog log{events};
  scan::SamePathForm longPaths;
  FixedClock clock;
  std::uint32_t detectionCount = 0;
  scan::ScanOneFileContext file{scan::FileCheckContext{lists, icon, targets},
                                detections,
                                sound,
                                deleter,
                                log,
                                longPaths,
                                clock,
                                detectionCount,
                                /*soundOn=*/true,
                                /*cleanAll=*/false};
  FixedGuard guard;
  RecordingFreezer freezer{events};
  ScriptedQuestion question{events};
  EventTerminator terminator{events};
  EventObserver observer{events};
  scan::ProcessCheckContext context{file, guard, freezer, question, terminator, observer, "KESTRO Antivirus"};
  scan::ProcessCheck processCheck{context};
};

TEST_F(ProcessScanTest, GuardOffNeitherAsksNorRecordsNorStops) {
  guard.on = false;
  Check(dir / "one" / "sleeper.exe", 100);
  EXPECT_EQ(events, Events{});
  EXPECT_EQ(detectionCount, 0u);
}

TEST_F(ProcessScanTest, OnlyDetectedExecutablesWithExeNamesAreAskedAbout) {
  Check(dir / "one" / "clean.exe", 100);
  Check(dir / "one" / "sleeper.dll", 101);
  Check(dir / "one" / "missing.exe", 102);
  EXPECT_EQ(events, Events{});
  // The desktop check is the file check: a listed checksum counts for Windows programs only.
  std::vector<std::uint8_t> notPe(23000, 7);
  WriteFile(dir / "one" / "tool.exe", notPe);
  lists.fileChecksums.Append("Test.Process.B", checks::SampledFileChecksum(dir / "one" / "tool.exe"));
  Check(dir / "one" / "tool.exe", 103);
  EXPECT_EQ(events, Events{});
}

TEST_F(ProcessScanTest, AllowThawsAndAddsNoRecord) {
  Check(dir / "one" / "sleeper.exe", 100);
  EXPECT_EQ(events, (Events{"freeze 100", "ask", "thaw 100"}));
  ASSERT_EQ(question.asked.size(), 1u);
  EXPECT_EQ(question.asked[0].caption, "KESTRO Antivirus");
  EXPECT_EQ(question.asked[0].text, scan::ProcessQuestionText("sleeper.exe", 100));
  EXPECT_EQ(question.asked[0].icon, platform::MessageIcon::Critical);
  EXPECT_EQ(question.captions, (std::pair<std::string, std::string>{"Allow", "Block"}));
  EXPECT_EQ(detectionCount, 0u);
  // The other copy is a process of its own and is asked about too.
  Check(dir / "two" / "SLEEPER.EXE", 101);
  EXPECT_EQ(question.asked.size(), 2u);
}

TEST_F(ProcessScanTest, BlockRecordsLogsAndEndsEveryProcessOfTheName) {
  file.cleanAll = true;
  question.answer = platform::kSecondButtonAnswer;
  const fs::path path = dir / "one" / "sleeper.exe";
  Check(path, 100);
  const std::string line = std::string(kDetectionName) + std::string(6 + 5, ' ') + Text(path);
  // No detection sound for a process; the process stays frozen until it is ended.
  EXPECT_EQ(events, (Events{"freeze 100", "ask", "record Test.Process.A", "count 1", "delete " + Text(path),
                            "log " + line, "show list", "terminate " + Text(path), "refresh quarantine"}));
  ASSERT_EQ(detections.rows.size(), 1u);
  const scan::DetectionRecord& row = detections.rows[0];
  EXPECT_EQ(row.infection, kDetectionName);
  EXPECT_EQ(row.location, Text(path));
  EXPECT_EQ(row.detectionTime, "2026-10-12 01:00:00");
  EXPECT_EQ(row.packer, "Inno Setup");
  EXPECT_EQ(row.tag, path);
  EXPECT_EQ(detectionCount, 1u);

  // The copy in the other folder was ended with it: it is not asked about again.
  events.clear();
  Check(dir / "two" / "SLEEPER.EXE", 101);
  EXPECT_EQ(events, Events{});
}

TEST_F(ProcessScanTest, AnyAnswerButTheFirstBlocks) {
  question.answer = 0;  // the box could not be shown
  Check(dir / "one" / "sleeper.exe", 100);
  EXPECT_EQ(detectionCount, 1u);
}

TEST_F(ProcessScanTest, AFailingQuestionThawsAndTheWalkGoesOn) {
  question.fail = true;
  FakeProcessList processes;
  processes.entries = {{100, Text(dir / "one" / "sleeper.exe"), false},
                       {101, Text(dir / "two" / "SLEEPER.EXE"), false}};
  scan::ProcessWalkContext walk{processes, {}, observer, log};
  scan::WalkProcesses(walk, &processCheck);
  EXPECT_EQ(events, (Events{"freeze 100", "ask", "thaw 100", "freeze 101", "ask", "thaw 101"}));
  EXPECT_EQ(detectionCount, 0u);
}

TEST_F(ProcessScanTest, WalkNormalisesShowsLogsAndChecksEveryProcessWithAPath) {
  FakeProcessList processes;
  processes.entries = {
      {4, "", false},  // no executable (the system process)
      {8, "", true},   // another user's process
      {12, R"(\SystemRoot\System32\smss.exe)", false},
      {16, Text(dir / "one" / "sleeper.exe"), false},
      {20, R"(/opt/odd\\name)", false},
  };
  class Collect final : public scan::RunningProcessCheck {
   public:
    void Check(const fs::path& path, const std::string& text, std::uint32_t id) override {
      seen.push_back(std::to_string(id) + " " + text);
      EXPECT_EQ(checks::PathUtf8(path), text);
    }
    std::vector<std::string> seen;
  } collect;
  scan::ProcessWalkContext walk{processes, R"(C:\Windows)", observer, log};
  const scan::ProcessWalkCounts counts = scan::WalkProcesses(walk, &collect);
  EXPECT_EQ(counts.processes, 5u);
  EXPECT_EQ(counts.withPath, 3u);
  EXPECT_EQ(counts.notReadable, 1u);
  EXPECT_EQ(events, Events{"not readable 8"});
  EXPECT_EQ(observer.shown, (std::vector<std::string>{"smss.exe", "sleeper.exe", "name"}));
  EXPECT_EQ(log.processLines,
            (std::vector<std::string>{R"(C:\Windows\System32\smss.exe)", Text(dir / "one" / "sleeper.exe"),
                                      R"(/opt/odd\\name)"}));
  // A POSIX path is never normalised: its backslashes are part of a name.
  EXPECT_EQ(collect.seen,
            (std::vector<std::string>{R"(12 C:\Windows\System32\smss.exe)",
                                      "16 " + Text(dir / "one" / "sleeper.exe"), R"(20 /opt/odd\\name)"}));
  // Without a check the walk only shows and logs.
  log.processLines.clear();
  scan::WalkProcesses(walk, nullptr);
  EXPECT_EQ(log.processLines.size(), 3u);
}

TEST_F(ProcessScanTest, ReportRecordsEachDetectedExecutableOnceAndNeverCleans) {
  file.cleanAll = true;
  scan::ProcessReport report(file);
  FakeProcessList processes;
  // A program that is not a Windows one, listed by its checksum.
  std::vector<std::uint8_t> elf(23000, 7);
  elf[0] = 0x7F;
  WriteFile(dir / "one" / "tool", elf);
  lists.fileChecksums.Append("Test.Process.B", checks::SampledFileChecksum(dir / "one" / "tool"));
  processes.entries = {{20, Text(dir / "one" / "sleeper.dll"), false},
                       {21, Text(dir / "one" / "sleeper.exe"), false},
                       {22, Text(dir / "one" / "sleeper.exe"), false},
                       {23, Text(dir / "one" / "clean.exe"), false},
                       {24, Text(dir / "one" / "tool"), false}};
  scan::ProcessWalkContext walk{processes, {}, observer, log};
  scan::WalkProcesses(walk, &report);
  EXPECT_EQ(report.ExecutablesChecked(), 4u);
  const std::string pad(6 + 5, ' ');
  EXPECT_EQ(
      events,
      (Events{"record Test.Process.A", "count 1",
              "log Test.Process.A" + pad + Text(dir / "one" / "sleeper.dll"), "record Test.Process.A",
              "count 2", "log Test.Process.A" + pad + Text(dir / "one" / "sleeper.exe"),
              "record Test.Process.B", "count 3", "log Test.Process.B" + pad + Text(dir / "one" / "tool")}));
  ASSERT_EQ(detections.rows.size(), 3u);
  EXPECT_EQ(detections.rows[1].location, Text(dir / "one" / "sleeper.exe"));
  EXPECT_EQ(detections.rows[1].packer, "Inno Setup");
}

}  // namespace
}  // namespace kestro::test
