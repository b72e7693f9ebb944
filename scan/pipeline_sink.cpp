#include "scan/pipeline_sink.hpp"

#include <string>

namespace kestro::scan {

namespace {

// Effects of one file, recorded on a worker and replayed in order.
class RecordedEffects final : public DetectionList, public DetectionSound, public DetectionLog {
 public:
  void Append(DetectionRecord record) override { records.push_back(std::move(record)); }
  void PlayDetected() override { ++sounds; }
  void WriteLine(std::string_view line) override { lines.emplace_back(line); }

  std::vector<DetectionRecord> records;
  std::vector<std::string> lines;
  int sounds = 0;
  std::uint32_t count = 0;
};

}  // namespace

struct ParallelSink::Job {
  std::filesystem::path path;
  RecordedEffects effects;
  bool done = false;
};

ParallelSink::ParallelSink(ScanOneFileContext& file, ArchiveScanContext& archive, unsigned threads)
    : file_(file), archive_(archive) {
  if (threads == 0) threads = 1;
  maxPending_ = static_cast<std::size_t>(threads) * 8;
  refillAt_ = maxPending_ / 2;
  for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Worker(); });
}

ParallelSink::~ParallelSink() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workAvailable_.notify_all();
  for (auto& t : workers_) t.join();
}

void ParallelSink::Worker() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(mutex_);
      workAvailable_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      job = queue_.front();
      queue_.pop_front();
    }
    // The check and the deletion run here; what the user sees is recorded.
    ScanOneFileContext context{file_.check,    job->effects,    job->effects, file_.deleter,
                               job->effects,   file_.longPaths, file_.clock,  job->effects.count,
                               file_.soundOn,  file_.cleanAll};
    ScanOneFile(job->path, context);
    bool wake = false;
    {
      std::lock_guard lock(mutex_);
      job->done = true;
      wake = awaited_ > 0 && FinishedAtFront() >= awaited_;
    }
    // The walking thread is woken only when what it waits for is complete.
    if (wake) jobDone_.notify_all();
  }
}

std::size_t ParallelSink::FinishedAtFront() const {
  std::size_t count = 0;
  while (count < pending_.size() && pending_[count]->done) ++count;
  return count;
}

void ParallelSink::WaitForFinished(std::unique_lock<std::mutex>& lock, std::size_t count) {
  awaited_ = count;
  jobDone_.wait(lock, [&] { return FinishedAtFront() >= count; });
  awaited_ = 0;
}

void ParallelSink::CommitReady(bool wait) {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(mutex_);
      if (pending_.empty()) return;
      if (!pending_.front()->done) {
        if (!wait) return;
        WaitForFinished(lock, 1);
      }
      job = pending_.front();
      pending_.pop_front();
    }
    // Replay in hand-over order: sound, record, count, log line, as a
    // sequential scan does them.
    for (std::size_t i = 0; i < job->effects.records.size(); ++i) {
      if (i < static_cast<std::size_t>(job->effects.sounds)) file_.sound.PlayDetected();
      file_.detections.Append(std::move(job->effects.records[i]));
      ++file_.detectionCount;
      file_.detections.ShowCount(file_.detectionCount);
      if (i < job->effects.lines.size()) file_.log.WriteLine(job->effects.lines[i]);
    }
  }
}

void ParallelSink::ScanFile(const std::filesystem::path& path) {
  auto job = std::make_shared<Job>();
  job->path = path;
  bool full = false;
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(job);
    queue_.push_back(job);
    full = pending_.size() >= maxPending_;
  }
  workAvailable_.notify_one();
  if (full) {
    // Bound the work in flight (and the memory it holds). The walk sleeps until
    // the older part is finished and then hands over a batch, rather than
    // waking for every file.
    std::unique_lock lock(mutex_);
    WaitForFinished(lock, pending_.size() - refillAt_);
  }
  CommitReady(false);
}

void ParallelSink::ScanArchive(const std::filesystem::path& path) {
  Drain();
  scan::ScanArchive(path, "", archive_);
}

void ParallelSink::Drain() { CommitReady(true); }

}  // namespace kestro::scan
