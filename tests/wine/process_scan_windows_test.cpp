// The running-process scan on Windows: a harmless test program, listed in a
// test database by its sampled checksum, runs as two processes from two
// folders. The walk goes over the real Tool Help list; the question is a real
// message box, read and answered from another thread as a user would.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include "checks/extension_list.hpp"
#include "icon/icon_check.hpp"
#include "io/sampled_checksum.hpp"
#include "log/scan_log.hpp"
#include "platform/messages.hpp"
#include "platform/processes.hpp"
#include "platform/system_folders.hpp"
#include "scan/process_scan.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/own_dialog.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kName = "Test.Process.Sleeper";
constexpr const wchar_t* kTitle = L"KESTRO Antivirus";
// A name no other test's processes carry: "Block" ends every process of it.
constexpr const char* kProbeName = "kestro-procscan-probe.exe";

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

std::string LowerText(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The suspend count of every thread of a process, in thread-id order.
std::map<DWORD, DWORD> SuspendCounts(DWORD processId) {
  std::map<DWORD, DWORD> counts;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
    if (thread == nullptr) continue;
    const DWORD previous = SuspendThread(thread);
    ResumeThread(thread);
    CloseHandle(thread);
    counts[entry.th32ThreadID] = previous;
  }
  CloseHandle(snapshot);
  return counts;
}

// The scan looks up the checksums of 32-bit images only, and this machine runs
// no 32-bit code: the 64-bit test program is marked as made for a 32-bit
// machine (a flag of its file header that the loader does not look at).
void MarkFor32BitMachine(const fs::path& program) {
  std::vector<std::uint8_t> bytes = ReadFile(program);
  ASSERT_GT(bytes.size(), 0x40u);
  const std::uint32_t header = bytes[0x3C] | (bytes[0x3D] << 8) | (bytes[0x3E] << 16) |
                               (static_cast<std::uint32_t>(bytes[0x3F]) << 24);
  const std::size_t characteristics = header + 4 + 18;
  ASSERT_LT(characteristics + 1, bytes.size());
  bytes[characteristics + 1] |= 0x01;  // IMAGE_FILE_32BIT_MACHINE (0x0100)
  WriteFile(program, bytes);
}

// The real process list, limited to the processes whose executable lies in one
// folder, so that programs of tests running beside this one are left alone.
class ProcessesUnder final : public platform::ProcessList {
 public:
  explicit ProcessesUnder(const fs::path& folder) : prefix_(Lower(folder.wstring())) {}
  void ForEachProcess(const std::function<void(const platform::ProcessEntry&)>& visit) override {
    platform::NativeProcessList().ForEachProcess([&](const platform::ProcessEntry& entry) {
      if (Lower(fs::path(std::u8string(entry.executable.begin(), entry.executable.end())).wstring())
              .rfind(prefix_, 0) == 0) {
        visit(entry);
      }
    });
  }

 private:
  std::wstring prefix_;
};

struct SeenQuestion {
  std::wstring text;
  std::wstring first;
  std::wstring second;
  HWND owner = nullptr;
  std::map<DWORD, DWORD> countsWhileAsked;  // the asked process's threads
};

// Finds each message box titled "KESTRO Antivirus" of this process, reads it and
// presses one of its two buttons, until stopped.
class Clicker {
 public:
  Clicker(int button, std::function<DWORD(const std::wstring&)> processOf)
      : button_(button), processOf_(std::move(processOf)), thread_([this] { Run(); }) {}
  ~Clicker() {
    stop_ = true;
    thread_.join();
  }
  std::vector<SeenQuestion> Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  void Run() {
    const char* hold = std::getenv("KESTRO_QUESTION_HOLD_MS");  // time to photograph the box
    while (!stop_) {
      HWND box = test::FindOwnDialog(kTitle);
      if (box == nullptr || !IsWindowVisible(box)) {
        std::this_thread::sleep_for(20ms);
        continue;
      }
      std::this_thread::sleep_for(100ms);  // the hook relabels on activation
      SeenQuestion q;
      wchar_t buffer[1024] = {};
      GetDlgItemTextW(box, 0xFFFF, buffer, 1024);
      q.text = buffer;
      GetDlgItemTextW(box, IDYES, buffer, 1024);
      q.first = buffer;
      GetDlgItemTextW(box, IDNO, buffer, 1024);
      q.second = buffer;
      q.owner = GetWindow(box, GW_OWNER);
      if (processOf_) {
        const DWORD id = processOf_(q.text);
        if (id != 0) q.countsWhileAsked = SuspendCounts(id);
      }
      {
        std::lock_guard lock(mutex_);
        seen_.push_back(q);
      }
      if (hold != nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(hold)));
      SendMessageW(GetDlgItem(box, button_), BM_CLICK, 0, 0);
      for (int i = 0; i < 250 && IsWindow(box); ++i) std::this_thread::sleep_for(20ms);
    }
  }

  int button_;
  std::function<DWORD(const std::wstring&)> processOf_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<SeenQuestion> seen_;
  std::thread thread_;
};

class ListRows final : public scan::DetectionList {
 public:
  void Append(scan::DetectionRecord record) override { rows.push_back(std::move(record)); }
  std::vector<scan::DetectionRecord> rows;
};
class NoSound final : public scan::DetectionSound {
 public:
  void PlayDetected() override { ++plays; }
  int plays = 0;
};
class KeepFiles final : public scan::DetectedFileDeleter {
 public:
  void Delete(const fs::path&) override {}
};
class LogLines final : public scan::DetectionLog {
 public:
  explicit LogLines(const log::ScanLog& log) : log_(log) {}
  void WriteLine(std::string_view line) override { log_.WriteLine(line); }

 private:
  const log::ScanLog& log_;
};
class FixedClock final : public scan::DetectionClock {
 public:
  std::string NowText() const override { return "now"; }
};
class NoTargets final : public checks::TargetExistence {
 public:
  platform::PathExistence Exists(std::string_view) const override { return platform::PathExistence::Unknown; }
};
class FixedGuard final : public scan::ProcessGuardSetting {
 public:
  bool IsOn() const override { return on; }
  bool on = true;
};
class Shown final : public scan::ProcessScanObserver {
 public:
  void CurrentProcess(std::string_view name) override { names.emplace_back(name); }
  void ShowDetectionList() override { ++listShown; }
  std::vector<std::string> names;
  int listShown = 0;
};

class ProcessScanWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path program = OwnProgramFolder() / ProgramFileName("kestro-test-sleeper");
    for (const char* folder : {"one", "two"}) {
      fs::create_directories(dir / folder);
      const fs::path copy = dir / folder / kProbeName;
      ASSERT_TRUE(CopyFileW(program.c_str(), copy.c_str(), FALSE));
      MarkFor32BitMachine(copy);
      copies.push_back(copy);
    }
    lists.fileChecksums.Append(kName, checks::SampledFileChecksum(copies[0]));
    for (const fs::path& copy : copies) {
      running.emplace_back(copy, std::vector<std::string>{"60", "--letters"});
      ASSERT_TRUE(running.back().Started());
    }
    // Each copy is ready once it has its three threads.
    for (const ChildProcess& child : running) {
      const auto until = std::chrono::steady_clock::now() + 10s;
      while (SuspendCounts(child.Id()).size() < 3 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(20ms);
      }
      before.push_back(SuspendCounts(child.Id()));
      ASSERT_EQ(before.back().size(), 3u);
    }
    fs::create_directories(dir / "program");
    log.StartLog();
    owner = CreateWindowExW(0, L"STATIC", L"splash", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                            nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    if (owner != nullptr) DestroyWindow(owner);
  }

  // The process id a question names.
  DWORD ProcessOf(const std::wstring& text) const {
    const std::size_t at = text.find(L"PID         : ");
    return at == std::wstring::npos ? 0
                                    : static_cast<DWORD>(std::wcstoul(text.c_str() + at + 14, nullptr, 10));
  }

  scan::ProcessWalkCounts Walk() {
    platform::NativeTwoButtonQuestion question(owner);
    scan::ProcessCheckContext context{file,
                                      guard,
                                      platform::NativeProcessFreezer(),
                                      question,
                                      platform::NativeProcessTerminator(),
                                      shown,
                                      "KESTRO Antivirus"};
    scan::ProcessCheck check(context);
    ProcessesUnder processes(dir.path());
    scan::ScanLogProcessLines processLines(&log);
    scan::ProcessWalkContext walk{processes, platform::WindowsFolder(), shown, processLines};
    return scan::WalkProcesses(walk, &check);
  }

  std::string LogText() const {
    const auto bytes = ReadFile(log.LogFile());
    return std::string(bytes.begin(), bytes.end());
  }

  TempDir dir;
  std::vector<fs::path> copies;
  std::vector<ChildProcess> running;
  std::vector<std::map<DWORD, DWORD>> before;
  sigdb::SignatureLists lists;
  checks::NoIconCheck icon;
  NoTargets targets;
  ListRows rows;
  NoSound sound;
  KeepFiles keep;
  log::ScanLog log{dir / "program", {"KESTRO Antivirus", "4.2"}};
  LogLines logLines{log};
  scan::SamePathForm longPaths;
  FixedClock clock;
  std::uint32_t detectionCount = 0;
  scan::ScanOneFileContext file{scan::FileCheckContext{lists, icon, targets},
                                rows,
                                sound,
                                keep,
                                logLines,
                                longPaths,
                                clock,
                                detectionCount,
                                true,
                                false};
  FixedGuard guard;
  Shown shown;
  HWND owner = nullptr;
};

TEST_F(ProcessScanWindows, ListReportsEachProcessWithItsExecutable) {
  std::map<DWORD, std::string> seen;
  platform::NativeProcessList().ForEachProcess(
      [&](const platform::ProcessEntry& entry) { seen[entry.id] = entry.executable; });
  for (std::size_t i = 0; i < running.size(); ++i) {
    ASSERT_TRUE(seen.count(running[i].Id()));
    EXPECT_EQ(
        Lower(fs::path(std::u8string(seen[running[i].Id()].begin(), seen[running[i].Id()].end())).wstring()),
        Lower(copies[i].wstring()));
  }
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string& own = seen[GetCurrentProcessId()];
  EXPECT_EQ(Lower(fs::path(std::u8string(own.begin(), own.end())).wstring()), Lower(self));
}

TEST_F(ProcessScanWindows, AllowResumesEveryThreadAndAddsNoRecord) {
  std::vector<SeenQuestion> questions;
  {
    Clicker clicker(IDYES, [this](const std::wstring& text) { return ProcessOf(text); });
    Walk();
    questions = clicker.Seen();
  }
  // One question per process, each with the exact text and relabelled buttons.
  ASSERT_EQ(questions.size(), 2u);
  for (std::size_t i = 0; i < questions.size(); ++i) {
    const SeenQuestion& q = questions[i];
    const DWORD id = ProcessOf(q.text);
    EXPECT_EQ(
        q.text,
        L"Potentially unwanted program has been detected !\r\n\r\nName    : kestro-procscan-probe.exe\r\n"
        L"PID         : " +
            std::to_wstring(id) + L"\r\n\r\nAre you sure want to allow this program ?");
    EXPECT_EQ(q.first, L"Allow");
    EXPECT_EQ(q.second, L"Block");
    EXPECT_EQ(q.owner, owner);
    // Frozen while asked: every thread one more than before.
    const std::size_t which = id == running[0].Id() ? 0 : 1;
    ASSERT_EQ(q.countsWhileAsked.size(), 3u);
    for (const auto& [thread, count] : before[which]) EXPECT_EQ(q.countsWhileAsked.at(thread), count + 1);
  }
  // Thawed: every count as it was (the program's own suspended thread stays so).
  for (std::size_t i = 0; i < running.size(); ++i) {
    EXPECT_EQ(SuspendCounts(running[i].Id()), before[i]);
    EXPECT_FALSE(running[i].WaitForExit(0));
  }
  EXPECT_TRUE(rows.rows.empty());
  EXPECT_EQ(detectionCount, 0u);
  // Both were shown and logged.
  EXPECT_EQ(shown.names, (std::vector<std::string>{kProbeName, kProbeName}));
  const std::string text = LowerText(LogText());
  for (const fs::path& copy : copies) {
    EXPECT_NE(text.find(LowerText("-> " + checks::PathUtf8(copy) + "\r\n")), std::string::npos) << text;
  }
  // The hook is gone: a later box on this thread keeps its own captions.
  Clicker reader(IDNO, nullptr);
  EXPECT_EQ(MessageBoxW(nullptr, L"plain", kTitle, MB_YESNO), IDNO);
  const auto plain = reader.Seen();
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_NE(plain[0].first, L"Allow");
  EXPECT_NE(plain[0].second, L"Block");
}

TEST_F(ProcessScanWindows, BlockRecordsLogsAndEndsBothProcesses) {
  std::vector<SeenQuestion> questions;
  {
    Clicker clicker(IDNO, nullptr);
    Walk();
    questions = clicker.Seen();
  }
  // One question: the second copy was ended with the first.
  EXPECT_EQ(questions.size(), 1u);
  for (ChildProcess& child : running) EXPECT_TRUE(child.WaitForExit(10000));
  ASSERT_EQ(rows.rows.size(), 1u);
  const scan::DetectionRecord& row = rows.rows[0];
  EXPECT_EQ(row.infection, kName);
  EXPECT_EQ(row.packer, "Inno Setup");
  EXPECT_EQ(Lower(fs::path(std::u8string(row.location.begin(), row.location.end())).wstring()),
            Lower(row.tag.wstring()));
  EXPECT_EQ(detectionCount, 1u);
  EXPECT_EQ(sound.plays, 0);
  EXPECT_EQ(shown.listShown, 1);
  EXPECT_NE(LogText().find(std::string(kName) + std::string(5, ' ') + row.location + "\r\n"),
            std::string::npos)
      << LogText();
}

TEST_F(ProcessScanWindows, GuardOffNeitherAsksNorStops) {
  guard.on = false;
  std::vector<SeenQuestion> questions;
  {
    Clicker clicker(IDYES, nullptr);
    const scan::ProcessWalkCounts counts = Walk();
    EXPECT_EQ(counts.withPath, 2u);
    questions = clicker.Seen();
  }
  EXPECT_TRUE(questions.empty());
  EXPECT_TRUE(rows.rows.empty());
  for (std::size_t i = 0; i < running.size(); ++i) {
    EXPECT_EQ(SuspendCounts(running[i].Id()), before[i]);
    EXPECT_FALSE(running[i].WaitForExit(0));
  }
}

TEST_F(ProcessScanWindows, FreezerLeavesTheCallerAndUnfrozenProcessesAlone) {
  EXPECT_FALSE(platform::NativeProcessFreezer().SetFrozen(GetCurrentProcessId(), true));
  EXPECT_FALSE(platform::NativeProcessFreezer().SetFrozen(running[0].Id(), false));
  EXPECT_EQ(SuspendCounts(running[0].Id()), before[0]);
  ASSERT_TRUE(platform::NativeProcessFreezer().SetFrozen(running[0].Id(), true));
  EXPECT_TRUE(platform::NativeProcessFreezer().SetFrozen(running[0].Id(), true));  // already frozen
  ASSERT_TRUE(platform::NativeProcessFreezer().SetFrozen(running[0].Id(), false));
  EXPECT_EQ(SuspendCounts(running[0].Id()), before[0]);
}

// A path the system reports under "\SystemRoot\" is read from the Windows folder.
TEST(ProcessScanSystemRoot, PathIsExaminedUnderTheWindowsFolder) {
  const fs::path windows = platform::WindowsFolder();
  ASSERT_FALSE(windows.empty());
  const fs::path folder = windows / "kestro-procscan-test";
  fs::create_directories(folder);
  const fs::path file = folder / "probe.exe";
  ASSERT_TRUE(
      CopyFileW((OwnProgramFolder() / ProgramFileName("kestro-test-sleeper")).c_str(), file.c_str(), FALSE));
  MarkFor32BitMachine(file);

  class OneProcess final : public platform::ProcessList {
   public:
    void ForEachProcess(const std::function<void(const platform::ProcessEntry&)>& visit) override {
      visit({77, R"(\SystemRoot\kestro-procscan-test\probe.exe)", false});
    }
  } processes;
  sigdb::SignatureLists lists;
  lists.fileChecksums.Append(kName, checks::SampledFileChecksum(file));
  checks::NoIconCheck icon;
  NoTargets targets;
  ListRows rows;
  NoSound sound;
  KeepFiles keep;
  class NoLog final : public scan::DetectionLog, public scan::ProcessLog {
   public:
    void WriteLine(std::string_view) override {}
    void WriteProcessLine(const fs::path&) override {}
  } noLog;
  scan::SamePathForm longPaths;
  FixedClock clock;
  std::uint32_t count = 0;
  scan::ScanOneFileContext context{scan::FileCheckContext{lists, icon, targets},
                                   rows,
                                   sound,
                                   keep,
                                   noLog,
                                   longPaths,
                                   clock,
                                   count,
                                   false,
                                   false};
  scan::ProcessReport report(context);
  scan::ProcessScanObserver observer;
  scan::ProcessWalkContext walk{processes, windows, observer, noLog};
  scan::WalkProcesses(walk, &report);
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].location, checks::PathUtf8(windows) + "\\kestro-procscan-test\\probe.exe");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kestro::test
