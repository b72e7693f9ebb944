// The process manager's operations on Windows process identifiers. Every
// operation that changes a process first checks that the identifier still
// names the process the list showed (same creation time), so a process that
// ended and whose identifier was reused is never touched by mistake.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "systools/process_model.hpp"

namespace kestro::systools {

// Enables "SeDebugPrivilege" in the program's own token when the token holds
// it (nothing the program does not already have). Failures are silent.
void EnableDebugPrivilege();

// The Windows folder with its trailing "\".
std::wstring WindowsFolder();

// The running processes whose main-module path can be read, with every column
// filled; `signatureStates` receives each row's signature test result.
struct ProcessListing {
  std::vector<ProcessRow> rows;
  std::vector<int> signatureStates;  // SignatureState per row, as int
};
ProcessListing ListProcesses();

// The process's creation time (FILETIME ticks), 0 when it cannot be read.
std::uint64_t ProcessCreationTime(DWORD pid);
std::optional<DWORD> ProcessPriorityClass(DWORD pid);

// Each returns false when the process is gone, is another process now, or
// cannot be opened with the right needed.
bool TerminateProcessById(DWORD pid, std::uint64_t creationTime);
bool SetProcessPriority(DWORD pid, std::uint64_t creationTime, DWORD priorityClass);
// Suspends (or resumes) each thread of the process once; the number of threads
// acted on. The program's own process is left alone: suspending its own
// threads would freeze the window that could resume them.
int SuspendProcessThreads(DWORD pid, std::uint64_t creationTime, bool resume);

// Detail window facts.
struct ProcessDetail {
  std::wstring ownerAccount;
  DWORD parentPid = 0;
  std::wstring parentName;  // empty: no such process now
};
ProcessDetail ReadProcessDetail(DWORD pid);

struct ModuleEntry {
  std::wstring name;
  std::wstring path;
};
std::vector<ModuleEntry> ListModules(DWORD pid);

}  // namespace kestro::systools
