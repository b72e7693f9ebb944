#include "tests/support/child_process.hpp"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace kestro::test {

#ifdef _WIN32

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args) {
  std::wstring command = L"\"" + program.wstring() + L"\"";
  for (const std::string& a : args) command += L" \"" + std::filesystem::path(a).wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                      &startup, &info)) {
    return;
  }
  CloseHandle(info.hThread);
  handle_ = info.hProcess;
  id_ = info.dwProcessId;
}

ChildProcess::~ChildProcess() {
  if (handle_ == nullptr) return;
  if (!ended_ && WaitForSingleObject(handle_, 0) != WAIT_OBJECT_0) {
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 10000);
  }
  CloseHandle(handle_);
}

bool ChildProcess::WaitForExit(int milliseconds) {
  if (handle_ == nullptr) return true;
  ended_ = WaitForSingleObject(handle_, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
  return ended_;
}

std::filesystem::path OwnProgramFolder() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  buffer.resize(n);
  return std::filesystem::path(buffer).parent_path();
}

std::string ProgramFileName(const std::string& name) { return name + ".exe"; }

#else

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args) {
  std::vector<std::string> texts{program.string()};
  texts.insert(texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& t : texts) argv.push_back(t.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0) {
    id_ = static_cast<std::uint32_t>(pid);
  }
}

ChildProcess::~ChildProcess() {
  if (id_ == 0 || ended_) return;
  kill(static_cast<pid_t>(id_), SIGKILL);
  waitpid(static_cast<pid_t>(id_), nullptr, 0);
}

bool ChildProcess::WaitForExit(int milliseconds) {
  if (id_ == 0 || ended_) return true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    if (waitpid(static_cast<pid_t>(id_), nullptr, WNOHANG) == static_cast<pid_t>(id_)) {
      ended_ = true;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

std::filesystem::path OwnProgramFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

std::string ProgramFileName(const std::string& name) { return name; }

#endif

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : id_(other.id_), handle_(other.handle_), ended_(other.ended_) {
  other.id_ = 0;
  other.handle_ = nullptr;
}

}  // namespace kestro::test
