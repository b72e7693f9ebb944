#pragma once
// Ending running processes by the name of their executable file.

#include <filesystem>

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

}  // namespace kestro::platform
