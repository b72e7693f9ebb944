#pragma once
// Running processes: the list of processes with the executable of each,
// freezing and thawing a process, and ending processes by the name of their
// executable file.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace kestro::platform {

class ProcessTerminator {
 public:
  virtual ~ProcessTerminator() = default;
  // Terminates every running process whose executable has the same display
  // title as `file` (compared without regard to case, wherever it lives), except
  // the calling process. Returns how many were terminated.
  virtual int TerminateByFileName(const std::filesystem::path& file) = 0;
};

// Windows: a Tool Help process snapshot, titles from GetFileTitleW, terminate
// access and exit code 0. POSIX: terminates nothing and answers 0 -- an open
// file does not stop its deletion there, and the product's rule of ending every
// process of a name would hit unrelated programs.
ProcessTerminator& NativeProcessTerminator();

// One running process as the system reports it.
struct ProcessEntry {
  std::uint32_t id = 0;
  // The main executable's file name as the system gives it (UTF-8; on Windows it
  // may still be an NT form such as "\SystemRoot\..." or "\??\C:\...").
  // Empty when the process could not be opened or its name could not be read.
  std::string executable;
  // The name could not be read for lack of rights (another user's or a
  // protected process), as opposed to a process that has no executable file.
  bool accessDenied = false;
};

class ProcessList {
 public:
  virtual ~ProcessList() = default;
  // Takes one snapshot of the running processes and hands each entry to
  // `visit` in snapshot order. The executable of each process is read when its
  // turn comes, so a process that ended meanwhile gives an empty name.
  virtual void ForEachProcess(const std::function<void(const ProcessEntry&)>& visit) = 0;
};

// Windows: a Tool Help snapshot; each process opened for query and read access
// and asked for its main module's file name (up to 500 characters, with the
// full image name as a fallback), the handle closed again. POSIX: the numeric
// entries of /proc, each with the target of its "exe" link.
ProcessList& NativeProcessList();

class ProcessFreezer {
 public:
  virtual ~ProcessFreezer() = default;
  // Freeze: suspends every thread of the process and remembers which threads it
  // suspended. Thaw: resumes exactly those threads once, so every suspend count
  // returns to what it was (a thread the program had suspended itself stays
  // suspended). Freezing a frozen process and thawing one that was not frozen do
  // nothing. False when nothing was suspended or resumed.
  virtual bool SetFrozen(std::uint32_t processId, bool freeze) = 0;
};

// Windows: Tool Help thread snapshot, SuspendThread / ResumeThread; the calling
// process itself is never frozen (its own user-interface thread would stop
// for good). POSIX: freezes nothing and answers false.
ProcessFreezer& NativeProcessFreezer();

}  // namespace kestro::platform
