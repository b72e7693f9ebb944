// The parallel sink against the sequential one, on enough files that the
// handing-over thread checks files itself, reaches the bound of work in flight
// and drains before an archive: the same records in the same order, the same
// log lines, sounds and count, for every number of threads.
#include "scan/pipeline_sink.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "checks/extension_list.hpp"
#include "icon/icon_check.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::scan {
namespace {
namespace fs = std::filesystem;

constexpr std::string_view kTestFile =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

class NoTargets final : public checks::TargetExistence {
 public:
  platform::PathExistence Exists(std::string_view) const override { return platform::PathExistence::Unknown; }
};

// What the commits reach, in order. The sequential sink and the parallel sink's
// replay both run on the test thread; a commit from elsewhere is a fault.
struct Committed final : DetectionList, DetectionSound, DetectionLog, DetectedFileDeleter {
  std::vector<std::string> events;
  void Append(DetectionRecord record) override { events.push_back("record " + record.infection + " " + record.location); }
  void ShowCount(std::uint32_t count) override { events.push_back("count " + std::to_string(count)); }
  void PlayDetected() override { events.push_back("sound"); }
  void WriteLine(std::string_view line) override { events.push_back("log " + std::string(line)); }
  // Deletion runs on the checking thread, between the record and the log line.
  // It lingers on the last files before a drain, which a commit must wait for,
  // and on the first detection after the archive, which the handing-over thread runs far
  // ahead of, up to the bound of work in flight.
  void Delete(const fs::path& path) override {
    const std::string name = path.filename().string();
    if (name == "t213.com") std::this_thread::sleep_for(std::chrono::milliseconds(150));
    if (name == "big199.vbs" || name == "big1799.vbs") std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
};

struct SameForm final : LongPathForm {
  fs::path LongForm(const fs::path& path) const override { return path; }
};

struct FixedClock final : DetectionClock {
  std::string NowText() const override { return "10/12/2026 01:00:00"; }
};

// One member that is the test file; records how many detections were
// committed when the archive was opened.
class OneMemberArchive final : public ArchiveLibrary {
 public:
  explicit OneMemberArchive(const Committed& committed) : committed_(committed) {}
  std::vector<std::size_t> eventsAtOpen;

  bool IsAvailable() const override { return true; }
  ArchiveHandle OpenArchive(ArchiveOpenRecord& record) override {
    eventsAtOpen.push_back(committed_.events.size());
    record.OpenResult = 0;
    served_ = false;
    return 1;
  }
  void SetPassword(ArchiveHandle, const char*) override {}
  int ReadHeader(ArchiveHandle, ArchiveHeaderRecord& header) override {
    if (served_) return KESTRO_ERAR_END_ARCHIVE;
    served_ = true;
    header = {};
    std::strncpy(header.FileName, "inner.com", sizeof header.FileName - 1);
    return 0;
  }
  int ProcessFile(ArchiveHandle, int, const char*, const char* destName) override {
    const fs::path path(destName);
    fs::create_directories(path.parent_path());
    test::WriteFile(path, std::string(kTestFile));
    return 0;
  }
  void CloseArchive(ArchiveHandle) override {}

 private:
  const Committed& committed_;
  bool served_ = false;
};

class PipelineSinkTest : public ::testing::Test {
 protected:
  static constexpr int kPerFolder = 600;
  void SetUp() override {
    // 3 folders of 600 files: every 13th is the test file, every 17th a large
    // script that is detected (slow to check, so the workers finish out of
    // order), and so are the last files before the archive and before the end,
    // so that a commit that does not wait for them loses their detections.
    for (int folder = 0; folder < 3; ++folder) {
      for (int i = 0; i < kPerFolder; ++i) {
        const int n = folder * kPerFolder + i;
        const fs::path dir = root_.path() / ("f" + std::to_string(folder));
        fs::create_directories(dir);
        fs::path file;
        if (n % 13 == 5) {
          file = dir / ("t" + std::to_string(n) + ".com");
          test::WriteFile(file, std::string(kTestFile));
          ++detections_;
        } else if (n % 17 == 3 || n == 199 || n == 3 * kPerFolder - 1) {
          file = dir / ("big" + std::to_string(n) + ".vbs");
          test::WriteFile(file, std::string(100 * 1024, '1'));
          ++detections_;
        } else {
          file = dir / ("c" + std::to_string(n) + ".vbs");
          test::WriteFile(file, "WScript.Echo \"hello " + std::to_string(n) + "\"");
        }
        files_.push_back(file);
      }
    }
    archive_ = root_.path() / "pack.rar";
    test::WriteFile(archive_, "not read: the library is a fake");
  }

  // Hands the files over, the archive after the first 200, and returns what was committed.
  std::vector<std::string> Run(unsigned threads, std::vector<std::size_t>* eventsAtArchive = nullptr) {
    Committed committed;
    SameForm form;
    FixedClock clock;
    std::uint32_t count = 0;
    sigdb::SignatureLists lists;
    checks::NoIconCheck icon;
    NoTargets targets;
    ScanOneFileContext file{FileCheckContext{lists, icon, targets}, committed, committed, committed, committed,
                            form, clock, count, /*soundOn=*/true, /*cleanAll=*/true};
    OneMemberArchive library(committed);
    ScanState state;
    ScanObserver observer;
    NoMessagePump pump;
    ArchiveScanContext archive{library, state, observer, pump, file, root_.path() / "extract", true};
    {
      std::unique_ptr<CandidateSink> sink;
      if (threads == 0) {
        sink = std::make_unique<SequentialSink>(file, archive);
      } else {
        sink = std::make_unique<ParallelSink>(file, archive, threads);
      }
      for (std::size_t i = 0; i < files_.size(); ++i) {
        if (i == 200) sink->ScanArchive(archive_);
        sink->ScanFile(files_[i]);
      }
      sink->Drain();
    }
    if (eventsAtArchive != nullptr) *eventsAtArchive = library.eventsAtOpen;
    committed.events.push_back("total " + std::to_string(count));
    return committed.events;
  }

  test::TempDir root_;
  std::vector<fs::path> files_;
  fs::path archive_;
  std::size_t detections_ = 1;  // the archive's member
};

TEST_F(PipelineSinkTest, EveryThreadCountCommitsWhatTheSequentialScanDoes) {
  std::vector<std::size_t> sequentialAtArchive;
  const std::vector<std::string> sequential = Run(0, &sequentialAtArchive);
  // Each detection: sound, record, count, log line.
  ASSERT_EQ(sequential.size(), detections_ * 4 + 1);
  EXPECT_EQ(sequential.back(), "total " + std::to_string(detections_));

  for (const unsigned threads : {1u, 2u, 3u, 5u}) {
    std::vector<std::size_t> atArchive;
    EXPECT_EQ(Run(threads, &atArchive), sequential) << threads << " threads";
    // Everything handed over before the archive was committed when it was opened.
    EXPECT_EQ(atArchive, sequentialAtArchive) << threads << " threads";
  }
}

}  // namespace
}  // namespace kestro::scan
