#pragma once
// The candidate sinks of a scan run: every listed file goes to "scan one file",
// every archive to the archive scanner.
//
// SequentialSink does the work on the calling thread. ParallelSink runs the file
// checks of several files at once, on worker threads and on the calling thread,
// and commits their effects (records, counts, sounds, log lines) in the order the
// walk handed the files over, so the detections, their order and the log are
// those of a sequential scan. Archives are scanned on the calling thread after
// everything handed over before them is committed (members share the extraction
// folder).

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "scan/archive_scanner.hpp"
#include "scan/scan_one_file.hpp"
#include "scan/scan_run.hpp"

namespace kestro::scan {

class SequentialSink final : public CandidateSink {
 public:
  SequentialSink(ScanOneFileContext& file, ArchiveScanContext& archive) : file_(file), archive_(archive) {}
  void ScanFile(std::filesystem::path path) override { ScanOneFile(std::move(path), file_); }
  bool AcceptsArchive(const std::filesystem::path& path) override { return IsScannableArchive(path); }
  void ScanArchive(const std::filesystem::path& path) override { scan::ScanArchive(path, "", archive_); }

 private:
  ScanOneFileContext& file_;
  ArchiveScanContext& archive_;
};

class ParallelSink final : public CandidateSink {
 public:
  // `threads` checking threads (at least 1): the calling thread and `threads` - 1
  // workers. `file` supplies the check context, the settings and the effects the
  // results are committed to. Every call comes from the one calling thread.
  ParallelSink(ScanOneFileContext& file, ArchiveScanContext& archive, unsigned threads);
  ~ParallelSink() override;
  ParallelSink(const ParallelSink&) = delete;
  ParallelSink& operator=(const ParallelSink&) = delete;

  void ScanFile(std::filesystem::path path) override;
  bool AcceptsArchive(const std::filesystem::path& path) override { return IsScannableArchive(path); }
  void ScanArchive(const std::filesystem::path& path) override;
  void Drain() override;

 private:
  struct Job;
  void Worker();
  // Checks one job on this thread and marks it finished.
  void Check(Job& job);
  // Hands the job being filled over to the checking threads.
  void Publish();
  // Checks the oldest queued job here when more than `ahead` are queued.
  bool CheckQueuedBeyond(std::size_t ahead);
  // Commits the finished jobs at the front, in hand-over order; with `wait`,
  // every job handed over (queued ones are checked here meanwhile).
  void CommitReady(bool wait);
  // Waits until the job at the front is finished.
  void WaitForFront();

  ScanOneFileContext& file_;
  ArchiveScanContext& archive_;
  std::size_t jobFiles_;     // files a job gathers before it is handed over
  std::size_t queuedAhead_;  // jobs left queued for the workers while the walk checks
  std::size_t maxPending_;   // jobs handed over and not committed before the walk waits
  std::unique_ptr<Job> filling_;  // the job files are gathered into

  // Only the calling thread touches `pending_` (in hand-over order); a worker
  // touches a job it took from `queue_` until it marks it done.
  std::deque<std::unique_ptr<Job>> pending_;
  std::mutex mutex_;  // guards queue_ and stopping_
  std::condition_variable workAvailable_;
  std::condition_variable jobDone_;
  std::deque<Job*> queue_;  // not yet started
  bool stopping_ = false;
  std::atomic<bool> walkWaits_{false};  // the calling thread sleeps on jobDone_
  std::vector<std::thread> workers_;
};

}  // namespace kestro::scan
