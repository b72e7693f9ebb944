#include "scan/pipeline_sink.hpp"

#include <string>
#include <utility>

#include "platform/thread_files.hpp"

namespace kestro::scan {

namespace {

// Effects of the files of one job, recorded on a worker and replayed in order.
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

// A few files handed over one after another, checked together: the threads
// meet once per job, not once per file.
struct ParallelSink::Job {
  std::vector<std::filesystem::path> paths;  // moved into the checks
  RecordedEffects effects;
  std::atomic<bool> done{false};
};

ParallelSink::ParallelSink(ScanOneFileContext& file, ArchiveScanContext& archive, unsigned threads)
    : file_(file), archive_(archive) {
  if (threads == 0) threads = 1;
  // The calling thread is one of the checking threads: it starts one worker
  // fewer and checks files itself, so the walk does not compete with `threads`
  // busy workers for the processors, nor sleep while they work.
  const unsigned workers = threads - 1;
  jobFiles_ = workers == 0 ? 1 : 8;
  // Enough queued (64 files a worker) that the workers do not run dry while
  // this thread checks a large file.
  queuedAhead_ = static_cast<std::size_t>(workers) * 8;
  // A large file on a worker holds up the commits behind it: this thread goes
  // on checking up to 1,024 files past it before it waits (a few hundred bytes
  // each).
  maxPending_ = queuedAhead_ + 128;
  for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { Worker(); });
}

ParallelSink::~ParallelSink() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workAvailable_.notify_all();
  for (auto& t : workers_) t.join();
}

void ParallelSink::Check(Job& job) {
  // The check and the deletion run here; what the user sees is recorded.
  ScanOneFileContext context{file_.check,   job.effects,     job.effects, file_.deleter,
                             job.effects,   file_.longPaths, file_.clock, job.effects.count,
                             file_.soundOn, file_.cleanAll};
  for (std::filesystem::path& path : job.paths) ScanOneFile(std::move(path), context);
  // The job is not touched after this: the calling thread may commit and free it.
  job.done.store(true);
  if (walkWaits_.load()) {
    // Taking the lock orders this with the calling thread's test of the front
    // job before it sleeps, so the wake cannot be lost.
    std::lock_guard lock(mutex_);
    jobDone_.notify_one();
  }
}

void ParallelSink::Worker() {
  // A worker opens and closes only files of its own: those it checks, deletes
  // or copies into the quarantine.
  platform::UseOwnFileTable();
  for (;;) {
    Job* job = nullptr;
    {
      std::unique_lock lock(mutex_);
      workAvailable_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      job = queue_.front();
      queue_.pop_front();
    }
    Check(*job);
  }
}

bool ParallelSink::CheckQueuedBeyond(std::size_t ahead) {
  Job* job = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (queue_.size() <= ahead) return false;
    job = queue_.front();
    queue_.pop_front();
  }
  Check(*job);
  return true;
}

void ParallelSink::WaitForFront() {
  Job& front = *pending_.front();
  if (front.done.load()) return;
  std::unique_lock lock(mutex_);
  walkWaits_.store(true);
  jobDone_.wait(lock, [&] { return front.done.load(); });
  walkWaits_.store(false);
}

void ParallelSink::CommitReady(bool wait) {
  while (!pending_.empty()) {
    if (!pending_.front()->done.load()) {
      if (!wait) return;
      // Rather than wait, check what no worker has started.
      if (CheckQueuedBeyond(0)) continue;
      WaitForFront();
    }
    const std::unique_ptr<Job> job = std::move(pending_.front());
    pending_.pop_front();
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

void ParallelSink::ScanFile(std::filesystem::path path) {
  if (!filling_) filling_ = std::make_unique<Job>();
  filling_->paths.push_back(std::move(path));
  if (filling_->paths.size() >= jobFiles_) Publish();
}

void ParallelSink::Publish() {
  if (!filling_) return;
  pending_.push_back(std::move(filling_));
  Job& job = *pending_.back();
  if (workers_.empty()) {
    Check(job);
  } else {
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(&job);
    }
    workAvailable_.notify_one();
    // Keep `queuedAhead_` jobs queued for the workers; check the rest here.
    while (CheckQueuedBeyond(queuedAhead_)) {
    }
  }
  CommitReady(false);
  // Bound the work in flight (and the memory it holds): the walk goes on only
  // when the oldest files are committed.
  while (pending_.size() >= maxPending_) {
    if (!CheckQueuedBeyond(0)) WaitForFront();
    CommitReady(false);
  }
}

void ParallelSink::ScanArchive(const std::filesystem::path& path) {
  Drain();
  scan::ScanArchive(path, "", archive_);
}

void ParallelSink::Drain() {
  Publish();
  CommitReady(true);
}

}  // namespace kestro::scan
