// POSIX: the process list from /proc; no freezing and no termination by file
// name (see platform/processes.hpp).
#include "platform/processes.hpp"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>
#include <string>

namespace kestro::platform {
namespace {

class NoProcessTerminator final : public ProcessTerminator {
 public:
  int TerminateByFileName(const std::filesystem::path&) override { return 0; }
};

class NoProcessFreezer final : public ProcessFreezer {
 public:
  bool SetFrozen(std::uint32_t, bool) override { return false; }
};

// A /proc entry name that is a process id.
bool ParseProcessId(const char* name, std::uint32_t& id) {
  const std::string_view text(name);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
  return ec == std::errc() && end == text.data() + text.size();
}

// The target of /proc/<id>/exe. Kernel threads have none; other users'
// processes refuse it to an unprivileged caller.
ProcessEntry ReadProcessEntry(std::uint32_t id) {
  ProcessEntry entry;
  entry.id = id;
  const std::string link = "/proc/" + std::to_string(id) + "/exe";
  std::string target(4096, '\0');
  const ssize_t n = readlink(link.c_str(), target.data(), target.size());
  if (n < 0) {
    entry.accessDenied = errno == EACCES || errno == EPERM;
    return entry;
  }
  // A target that fills the buffer may have been cut: leave it unread.
  if (static_cast<std::size_t>(n) < target.size()) {
    target.resize(static_cast<std::size_t>(n));
    entry.executable = std::move(target);
  }
  return entry;
}

class ProcFileSystemList final : public ProcessList {
 public:
  void ForEachProcess(const std::function<void(const ProcessEntry&)>& visit) override {
    const std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    if (!proc) return;
    while (const dirent* item = readdir(proc.get())) {
      std::uint32_t id = 0;
      if (ParseProcessId(item->d_name, id)) visit(ReadProcessEntry(id));
    }
  }
};

}  // namespace

ProcessTerminator& NativeProcessTerminator() {
  static NoProcessTerminator terminator;
  return terminator;
}

ProcessList& NativeProcessList() {
  static ProcFileSystemList list;
  return list;
}

ProcessFreezer& NativeProcessFreezer() {
  static NoProcessFreezer freezer;
  return freezer;
}

}  // namespace kestro::platform
