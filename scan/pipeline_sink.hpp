#pragma once
// The candidate sinks of a scan run: every listed file goes to "scan one file",
// every archive to the archive scanner.
//
// SequentialSink does the work on the calling thread. ParallelSink runs the file
// checks of several files at once on worker threads, and commits their effects
// (records, counts, sounds, log lines) in the order the walk handed the files
// over, so the detections, their order and the log are those of a sequential
// scan. Archives are scanned on the calling thread after everything handed over
// before them is committed (members share the extraction folder).

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "scan/archive_scanner.hpp"
#include "scan/scan_one_file.hpp"
#include "scan/scan_run.hpp"

namespace kestro::scan {

class SequentialSink final : public CandidateSink {
 public:
  SequentialSink(ScanOneFileContext& file, ArchiveScanContext& archive) : file_(file), archive_(archive) {}
  void ScanFile(const std::filesystem::path& path) override { ScanOneFile(path, file_); }
  bool AcceptsArchive(const std::filesystem::path& path) override { return IsScannableArchive(path); }
  void ScanArchive(const std::filesystem::path& path) override { scan::ScanArchive(path, "", archive_); }

 private:
  ScanOneFileContext& file_;
  ArchiveScanContext& archive_;
};

class ParallelSink final : public CandidateSink {
 public:
  // `threads` workers (at least 1). `file` supplies the check context, the
  // settings and the effects the results are committed to.
  ParallelSink(ScanOneFileContext& file, ArchiveScanContext& archive, unsigned threads);
  ~ParallelSink() override;
  ParallelSink(const ParallelSink&) = delete;
  ParallelSink& operator=(const ParallelSink&) = delete;

  void ScanFile(const std::filesystem::path& path) override;
  bool AcceptsArchive(const std::filesystem::path& path) override { return IsScannableArchive(path); }
  void ScanArchive(const std::filesystem::path& path) override;
  void Drain() override;

 private:
  struct Job;
  void Worker();
  // Commits the finished jobs at the front, in hand-over order; with `wait`,
  // first waits until at least one is finished.
  void CommitReady(bool wait);
  // Waits (mutex held) until the first `count` jobs handed over are finished.
  void WaitForFinished(std::unique_lock<std::mutex>& lock, std::size_t count);
  std::size_t FinishedAtFront() const;

  ScanOneFileContext& file_;
  ArchiveScanContext& archive_;
  std::size_t maxPending_;  // jobs in flight before the walk waits
  std::size_t refillAt_;    // ... until only this many are left unfinished
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable jobDone_;
  std::deque<std::shared_ptr<Job>> pending_;  // in hand-over order
  std::deque<std::shared_ptr<Job>> queue_;    // not yet started
  bool stopping_ = false;
  std::size_t awaited_ = 0;  // the walking thread waits for this many finished jobs at the front
  std::vector<std::thread> workers_;
};

}  // namespace kestro::scan
