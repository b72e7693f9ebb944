// The scan page's controller: the engine's run on a worker with the parallel
// sink, the board the window reads, Pause, Stop and the finish message handed
// to the window thread (here the test thread plays the window).
#include "app/scan_page/scan_controller.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>

#include "scan/scan_texts.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::app::scan_page {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::string_view kTestFile =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

struct RecordingMarkers final : scan::ScanMarkers {
  std::mutex mutex;
  std::vector<std::string> log;
  std::function<void(std::string_view)> onSet;
  void SetMarker(std::string_view n, std::uint32_t v) override {
    {
      std::lock_guard lock(mutex);
      log.push_back(std::string(n) + "=" + std::to_string(v));
    }
    if (onSet) onSet(n);
  }
  void DeleteMarker(std::string_view n) override {
    std::lock_guard lock(mutex);
    log.push_back("-" + std::string(n));
  }
};

struct CountingSound final : scan::DetectionSound {
  std::atomic<int> played{0};
  std::function<void()> onPlay;
  void PlayDetected() override {
    ++played;
    if (onPlay) onPlay();
  }
};

struct RecordingEffects final : RunEffects {
  std::atomic<int> finishedSounds{0}, shutdowns{0}, repairs{0};
  void PlayFinishedSound() override { ++finishedSounds; }
  void ShutDownComputer() override { ++shutdowns; }
  void RepairRegistry() override { ++repairs; }
};

struct FixedClock final : scan::DetectionClock {
  std::string NowText() const override { return "01/02/2013 10:11:12"; }
};

struct NoTargets final : checks::TargetExistence {
  platform::PathExistence Exists(std::string_view) const override { return platform::PathExistence::Unknown; }
};

class ScanControllerTest : public ::testing::Test {
 protected:
  ScanControllerTest()
      : ui_([this] {
          std::lock_guard lock(wakeMutex_);
          ++wakes_;
          woken_.notify_all();
        }) {}
  ~ScanControllerTest() override {
    ui_.Cancel();  // a run still waiting for the window must not hold the test
    controller_.reset();
  }

  // `count` test files (detected) and as many clean ones, spread over folders.
  void MakeTree(int count) {
    for (int i = 0; i < count; ++i) {
      const fs::path folder = dir_.path() / ("d" + std::to_string(i % 4));
      fs::create_directories(folder);
      test::WriteFile(folder / ("t" + std::to_string(i) + ".com"), kTestFile);
      test::WriteFile(folder / ("c" + std::to_string(i) + ".exe"), std::string(64, 'c'));
    }
  }

  ScanController& Controller() {
    if (!controller_) {
      ScanEngine engine{lists_, nullptr, fake_.context, *archives_, dir_.path() / "extract", markers_, sound_,
                        effects_, clock_, longPaths_, targets_};
      controller_ = std::make_unique<ScanController>(
          engine, board_, ui_, [this](const std::string& text, scan::MessageIcon icon) {
            messages_.emplace_back(text, icon);
            rowsWhenMessageShown_ = rows_.size() + board_.Peek().newRows.size();
          });
    }
    return *controller_;
  }

  // Plays the window thread until the run has ended: answers the worker's calls
  // and collects the rows the board hands over.
  void RunWindowUntilIdle() {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (Controller().Busy()) {
      ui_.RunPending();
      Collect();
      std::unique_lock lock(wakeMutex_);
      woken_.wait_for(lock, 10ms);
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the run did not end";
    }
    Controller().Wait();
    Collect();
  }

  void Collect() {
    BoardView view = board_.Take();
    for (auto& row : view.newRows) rows_.push_back(std::move(row));
    last_ = std::move(view);
  }

  void WaitForBoard(const std::function<bool(const BoardView&)>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!condition(board_.Peek())) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the board never showed the expected state";
      std::this_thread::sleep_for(1ms);
    }
  }

  test::TempDir dir_;
  sigdb::SignatureLists lists_;
  test::FakeRemedy fake_;
  std::unique_ptr<scan::ArchiveLibrary> archives_ = scan::BindArchiveLibraryAt(dir_ / "no-library");
  RecordingMarkers markers_;
  CountingSound sound_;
  RecordingEffects effects_;
  FixedClock clock_;
  scan::SamePathForm longPaths_;
  NoTargets targets_;
  ScanBoard board_;
  std::mutex wakeMutex_;
  std::condition_variable woken_;
  int wakes_ = 0;
  UiCallQueue ui_;
  std::unique_ptr<ScanController> controller_;
  std::vector<std::pair<std::string, scan::MessageIcon>> messages_;
  std::vector<scan::DetectionRecord> rows_;
  std::size_t rowsWhenMessageShown_ = 0;
  BoardView last_;
};

TEST_F(ScanControllerTest, ARunFindsEveryDetectionInWalkOrderAndEndsIdle) {
  MakeTree(7);
  RunSettings settings;
  settings.sound = true;
  settings.threads = 3;
  ASSERT_TRUE(Controller().Start(dir_.path(), settings));
  RunWindowUntilIdle();

  ASSERT_EQ(rows_.size(), 7u);
  std::vector<fs::path> walkOrder;
  for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] == 't') walkOrder.push_back(entry.path());
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    EXPECT_EQ(rows_[i].tag, walkOrder[i]);
    EXPECT_EQ(rows_[i].infection, "EICAR-AV-TEST");
    EXPECT_EQ(rows_[i].detectionTime, "01/02/2013 10:11:12");
    EXPECT_EQ(rows_[i].packer, "Unknown");
  }
  // Every row was on the board before the finish message was shown.
  EXPECT_EQ(rowsWhenMessageShown_, 7u);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], std::make_pair(std::string(scan::kScanCompleted), scan::MessageIcon::Error));
  EXPECT_EQ(sound_.played, 7);
  EXPECT_EQ(effects_.finishedSounds, 1);
  EXPECT_EQ(markers_.log, (std::vector<std::string>{"MulaiScan=1", "-VirusDetected", "-MulaiScan",
                                                    "VirusDetected=3", "VirusDetected=3"}));
  EXPECT_EQ(last_.detections, 7u);
  EXPECT_EQ(last_.filesScanned, 14u);
  EXPECT_EQ(last_.percent, 100);
  EXPECT_FALSE(last_.running);
  EXPECT_FALSE(last_.runControlsDisabled);
  EXPECT_FALSE(last_.taskbarActive);
  EXPECT_EQ(last_.statusText, scan::kStatusWaiting);
  EXPECT_EQ(last_.archiveLabel, scan::kArchiveLabelIdle);
}

TEST_F(ScanControllerTest, TheCountDecidesTheFinishIconAndASecondStartWaitsForTheFirst) {
  struct Case {
    int detections;
    scan::MessageIcon icon;
    std::string marker;
  };
  int made = 0;
  for (const Case& c : {Case{0, scan::MessageIcon::Information, "VirusDetected=1"},
                        Case{5, scan::MessageIcon::Exclamation, "VirusDetected=2"},
                        Case{6, scan::MessageIcon::Error, "VirusDetected=3"}}) {
    for (; made < c.detections; ++made) test::WriteFile(dir_ / ("t" + std::to_string(made) + ".com"), kTestFile);
    messages_.clear();
    markers_.log.clear();
    ASSERT_TRUE(Controller().Start(dir_.path(), RunSettings{}));
    EXPECT_FALSE(Controller().Start(dir_.path(), RunSettings{})) << "a run is busy";
    RunWindowUntilIdle();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].second, c.icon) << c.detections;
    EXPECT_EQ(markers_.log.back(), c.marker);
  }
}

TEST_F(ScanControllerTest, StopWhilePausedEndsTheRunAborted) {
  MakeTree(20);
  // Pause as the run begins: the walk holds at its first entry.
  markers_.onSet = [this](std::string_view name) {
    if (name == "MulaiScan") Controller().SetPaused(true);
  };
  ASSERT_TRUE(Controller().Start(dir_.path(), RunSettings{}));
  WaitForBoard([](const BoardView& v) { return v.paused; });
  EXPECT_EQ(board_.Peek().filesScanned, 0u);
  EXPECT_TRUE(Controller().Busy());
  Controller().Stop();
  RunWindowUntilIdle();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].first, scan::kScanAborted);
  EXPECT_TRUE(rows_.empty());
  EXPECT_FALSE(Controller().Paused());
}

TEST_F(ScanControllerTest, ResumeAfterPauseCompletesTheRun) {
  MakeTree(10);
  markers_.onSet = [this](std::string_view name) {
    if (name == "MulaiScan") Controller().SetPaused(true);
  };
  ASSERT_TRUE(Controller().Start(dir_.path(), RunSettings{}));
  WaitForBoard([](const BoardView& v) { return v.paused; });
  Controller().SetPaused(false);
  RunWindowUntilIdle();
  EXPECT_EQ(rows_.size(), 10u);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].first, scan::kScanCompleted);
}

TEST_F(ScanControllerTest, StopMidScanKeepsTheRowsFoundSoFar) {
  MakeTree(120);
  sound_.onPlay = [this] { Controller().Stop(); };
  RunSettings settings;
  settings.sound = true;
  settings.threads = 2;
  ASSERT_TRUE(Controller().Start(dir_.path(), settings));
  RunWindowUntilIdle();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].first, scan::kScanAborted);
  EXPECT_GE(rows_.size(), 1u);
  EXPECT_LT(rows_.size(), 120u);
  EXPECT_EQ(last_.detections, rows_.size());
}

TEST_F(ScanControllerTest, AStopBeforeTheWorkerBeganStillAborts) {
  MakeTree(3);
  // The run waits at its first marker until Stop has returned, so that Stop
  // lands before any file is walked even when this thread is slow to get there.
  std::promise<void> stopped;
  std::shared_future<void> stoppedFuture = stopped.get_future().share();
  markers_.onSet = [stoppedFuture](std::string_view name) {
    if (name == "MulaiScan") stoppedFuture.wait();
  };
  ASSERT_TRUE(Controller().Start(dir_.path(), RunSettings{}));
  Controller().Stop();
  stopped.set_value();
  RunWindowUntilIdle();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].first, scan::kScanAborted);
}

TEST_F(ScanControllerTest, TheShutdownBoxTickedDuringTheRunShutsDownInsteadOfTheMessage) {
  MakeTree(2);
  markers_.onSet = [this](std::string_view name) {
    if (name == "MulaiScan") Controller().SetShutdownWhenDone(true);
  };
  ASSERT_TRUE(Controller().Start(dir_.path(), RunSettings{}));
  RunWindowUntilIdle();
  EXPECT_EQ(effects_.shutdowns, 1);
  EXPECT_TRUE(messages_.empty());
  for (const auto& line : markers_.log) EXPECT_EQ(line.find("VirusDetected="), std::string::npos) << line;
}

TEST_F(ScanControllerTest, CleanAllDeletesOnTheWorkersAndTheRowsKeepTheirPaths) {
  MakeTree(4);
  RunSettings settings;
  settings.cleanAll = true;
  settings.fixReg = true;
  ASSERT_TRUE(Controller().Start(dir_.path(), settings));
  RunWindowUntilIdle();
  ASSERT_EQ(rows_.size(), 4u);
  for (const auto& row : rows_) EXPECT_FALSE(fs::exists(row.tag)) << row.location;
  EXPECT_EQ(effects_.repairs, 1);
}

TEST_F(ScanControllerTest, ClosingThePageWhileTheFinishMessageWaitsDoesNotHang) {
  MakeTree(1);
  ASSERT_TRUE(Controller().Start(dir_.path(), RunSettings{}));
  {
    std::unique_lock lock(wakeMutex_);
    ASSERT_TRUE(woken_.wait_for(lock, 30s, [this] { return wakes_ > 0; })) << "no finish message was asked for";
  }
  ui_.Cancel();
  controller_.reset();  // joins the worker
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace kestro::app::scan_page
