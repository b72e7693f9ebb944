// Windows: the process list, freezing and thawing, and ending processes by
// executable name, all through Tool Help snapshots.
// <windows.h> comes first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <psapi.h>
#include <tlhelp32.h>
// clang-format on

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/processes.hpp"
#include "platform/win32/wide_text.hpp"

namespace kestro::platform {
namespace {

// A handle closed when it goes out of scope; knows both "no handle" values.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle = nullptr) : handle_(handle) {}
  ~ScopedHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  ScopedHandle& operator=(ScopedHandle&&) = delete;
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Walks one process snapshot from the first entry; `visit` answers false to stop.
template <typename Visit>
void WalkProcessSnapshot(Visit visit) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = L'\0';
    visit(entry);
  }
}


// The display title of a path (GetFileTitleW into 255 characters), cut at the
// first NUL; empty when the call fails.
std::wstring DisplayTitle(const wchar_t* path) {
  wchar_t buffer[255] = {};
  if (GetFileTitleW(path, buffer, 255) != 0) return {};
  buffer[254] = L'\0';
  return std::wstring(buffer);
}

class ToolHelpTerminator final : public ProcessTerminator {
 public:
  int TerminateByFileName(const std::filesystem::path& file) override {
    const std::wstring wanted = DisplayTitle(file.c_str());
    if (wanted.empty()) return 0;
    const DWORD self = GetCurrentProcessId();
    int ended = 0;
    WalkProcessSnapshot([&](const PROCESSENTRY32W& entry) {
      // Never end the calling program itself: it still has the deletion to do.
      if (entry.th32ProcessID == self) return;
      const std::wstring title = DisplayTitle(entry.szExeFile);
      if (title.empty() || CompareStringOrdinal(title.c_str(), -1, wanted.c_str(), -1, TRUE) != CSTR_EQUAL)
        return;
      ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
      if (process.Valid() && TerminateProcess(process.get(), 0)) ++ended;
    });
    return ended;
  }
};

// The main module's file name holds at most this many characters.
constexpr DWORD kModuleNameChars = 500;

// The executable of one process, read through a handle opened for just that.
ProcessEntry ReadProcessEntry(DWORD id) {
  ProcessEntry result;
  result.id = id;
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (process.Valid()) {
    wchar_t name[kModuleNameChars] = {};
    const DWORD n = GetModuleFileNameExW(process.get(), nullptr, name, kModuleNameChars);
    // A name that fills the buffer may have been cut: take the full image name.
    if (n > 0 && n < kModuleNameChars - 1) {
      result.executable = Utf8FromWide(std::wstring_view(name, n));
      return result;
    }
  }
  const DWORD openError = process.Valid() ? ERROR_SUCCESS : GetLastError();
  // Protected processes refuse the rights above but still give their image
  // name to a limited query.
  ScopedHandle limited(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (limited.Valid()) {
    std::wstring name(32768, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    if (QueryFullProcessImageNameW(limited.get(), 0, name.data(), &size) && size > 0) {
      name.resize(size);
      result.executable = Utf8FromWide(name);
      return result;
    }
  }
  result.accessDenied = openError == ERROR_ACCESS_DENIED;
  return result;
}

class ToolHelpProcessList final : public ProcessList {
 public:
  void ForEachProcess(const std::function<void(const ProcessEntry&)>& visit) override {
    WalkProcessSnapshot([&](const PROCESSENTRY32W& entry) { visit(ReadProcessEntry(entry.th32ProcessID)); });
  }
};

// The threads one freeze suspended, held open so that the thaw resumes these very
// threads (a thread id can be reused once its thread has ended), and the process,
// to notice a record left behind by a process that has ended.
struct FrozenProcess {
  ScopedHandle process;
  std::vector<ScopedHandle> threads;
};

class ThreadSuspendingFreezer final : public ProcessFreezer {
 public:
  bool SetFrozen(std::uint32_t processId, bool freeze) override {
    std::lock_guard lock(mutex_);
    return freeze ? Freeze(processId) : Thaw(processId);
  }

 private:
  bool Freeze(DWORD processId) {
    if (processId == GetCurrentProcessId()) return false;
    const auto found = frozen_.find(processId);
    if (found != frozen_.end()) {
      if (!Ended(found->second)) return true;
      frozen_.erase(found);  // a new process with the id of an ended one
    }
    FrozenProcess record{ScopedHandle(OpenProcess(SYNCHRONIZE, FALSE, processId)), {}};
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.Valid()) return false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
      if (entry.th32OwnerProcessID != processId) continue;
      ScopedHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
      if (thread.Valid() && SuspendThread(thread.get()) != static_cast<DWORD>(-1)) {
        record.threads.push_back(std::move(thread));
      }
    }
    if (record.threads.empty()) return false;
    frozen_.emplace(processId, std::move(record));
    return true;
  }

  bool Thaw(DWORD processId) {
    const auto found = frozen_.find(processId);
    if (found == frozen_.end()) return false;
    bool resumed = false;
    for (const ScopedHandle& thread : found->second.threads) {
      if (ResumeThread(thread.get()) != static_cast<DWORD>(-1)) resumed = true;
    }
    frozen_.erase(found);
    return resumed;
  }

  static bool Ended(const FrozenProcess& record) {
    return record.process.Valid() && WaitForSingleObject(record.process.get(), 0) == WAIT_OBJECT_0;
  }

  std::mutex mutex_;
  std::map<DWORD, FrozenProcess> frozen_;
};

}  // namespace

ProcessTerminator& NativeProcessTerminator() {
  static ToolHelpTerminator terminator;
  return terminator;
}

ProcessList& NativeProcessList() {
  static ToolHelpProcessList list;
  return list;
}

ProcessFreezer& NativeProcessFreezer() {
  static ThreadSuspendingFreezer freezer;
  return freezer;
}

}  // namespace kestro::platform
