#pragma once
// Test programs started in the background and ended again when the test is done.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestro::test {

class ChildProcess {
 public:
  // Starts `program` with `args`; Running() is false when it could not start.
  ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args);
  ~ChildProcess();  // ends the process when it still runs
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&&) = delete;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return id_ != 0; }
  std::uint32_t Id() const { return id_; }
  // Waits up to `milliseconds` for the process to end; true when it has ended.
  bool WaitForExit(int milliseconds);

 private:
  std::uint32_t id_ = 0;
  void* handle_ = nullptr;  // Windows: the process handle
  bool ended_ = false;
};

// Folder of the running test program (where the test helpers are built too).
std::filesystem::path OwnProgramFolder();

// `name` with the platform's program suffix (".exe" on Windows).
std::string ProgramFileName(const std::string& name);

}  // namespace kestro::test
