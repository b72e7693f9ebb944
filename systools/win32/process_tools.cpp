#include "systools/win32/process_tools.hpp"

#include <psapi.h>
#include <tlhelp32.h>

#include "systools/path_normalise.hpp"
#include "systools/size_text.hpp"
#include "systools/win32/file_properties.hpp"
#include "systools/win32/scoped_handle.hpp"

namespace kestro::systools {
namespace {

std::uint64_t CreationTimeOf(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Opens the process with `access` (plus the right to read its times) when it
// is still the process created at `creationTime` (0: cannot tell, accept).
ScopedHandle OpenSameProcess(DWORD pid, std::uint64_t creationTime, DWORD access) {
  ScopedHandle process(OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  if (creationTime != 0 && CreationTimeOf(process.get()) != creationTime) return {};
  return process;
}

std::wstring TextUpToNul(const wchar_t* text, std::size_t limit) {
  std::wstring result;
  for (std::size_t i = 0; i < limit && text[i] != L'\0'; ++i) result.push_back(text[i]);
  return result;
}

std::vector<DriveDevice> DriveDevices() {
  std::vector<DriveDevice> drives;
  wchar_t letters[512] = {};
  const DWORD length = GetLogicalDriveStringsW(511, letters);
  if (length == 0 || length > 511) return drives;
  for (const wchar_t* root = letters; *root != L'\0'; root += wcslen(root) + 1) {
    const std::wstring drive(root, 2);
    wchar_t device[MAX_PATH] = {};
    if (QueryDosDeviceW(drive.c_str(), device, MAX_PATH) != 0) drives.push_back({drive, device});
  }
  return drives;
}

}  // namespace

void EnableDebugPrivilege() {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return;
  ScopedHandle token(rawToken);
  TOKEN_PRIVILEGES privileges{};
  if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) return;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  std::wstring result(folder, length < MAX_PATH ? length : 0);
  if (!result.empty() && result.back() != L'\\') result.push_back(L'\\');
  return result;
}

ProcessListing ListProcesses() {
  ProcessListing listing;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPALL, 0));
  if (!snapshot) return listing;
  const std::wstring windowsFolder = WindowsFolder();
  PROCESSENTRY32W entry{sizeof(entry)};
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    // Reading the main module's path needs the rights to query and read.
    ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
    if (!process) continue;
    wchar_t rawPath[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameExW(process.get(), nullptr, rawPath, MAX_PATH);
    const std::wstring path = LongFormIfShort(NormaliseProcessPath(TextUpToNul(rawPath, length), windowsFolder));
    if (path.empty()) continue;

    ProcessRow row;
    row.name = TextUpToNul(entry.szExeFile, MAX_PATH);
    row.path = path;
    const SignatureState signature = TestEmbeddedSignature(path);
    row.signedFile = EmbeddedSignatureValue(signature) == 1;
    row.sizeText = FileSizeText(path);
    row.pid = entry.th32ProcessID;
    PROCESS_MEMORY_COUNTERS counters{};
    if (GetProcessMemoryInfo(process.get(), &counters, sizeof(counters))) row.workingSetBytes = counters.WorkingSetSize;
    row.creationTime = CreationTimeOf(process.get());
    listing.rows.push_back(std::move(row));
    listing.signatureStates.push_back(static_cast<int>(signature));
  }
  return listing;
}

std::uint64_t ProcessCreationTime(DWORD pid) {
  ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  return process ? CreationTimeOf(process.get()) : 0;
}

std::optional<DWORD> ProcessPriorityClass(DWORD pid) {
  ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return std::nullopt;
  const DWORD priorityClass = GetPriorityClass(process.get());
  if (priorityClass == 0) return std::nullopt;
  return priorityClass;
}

bool TerminateProcessById(DWORD pid, std::uint64_t creationTime) {
  EnableDebugPrivilege();
  ScopedHandle process = OpenSameProcess(pid, creationTime, PROCESS_TERMINATE);
  return process && TerminateProcess(process.get(), 0);
}

bool SetProcessPriority(DWORD pid, std::uint64_t creationTime, DWORD priorityClass) {
  ScopedHandle process = OpenSameProcess(pid, creationTime, PROCESS_SET_INFORMATION);
  return process && SetPriorityClass(process.get(), priorityClass);
}

int SuspendProcessThreads(DWORD pid, std::uint64_t creationTime, bool resume) {
  if (pid == GetCurrentProcessId()) return 0;
  // Holding the process open keeps its identifier (and so its threads') from
  // being reused while we work.
  ScopedHandle process = OpenSameProcess(pid, creationTime, SYNCHRONIZE);
  if (!process) return 0;
  std::vector<ThreadEntry> threads;
  {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return 0;
    THREADENTRY32 entry{sizeof(entry)};
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
      threads.push_back({entry.th32ThreadID, entry.th32OwnerProcessID});
    }
  }
  int acted = 0;
  for (const std::uint32_t threadId : ThreadsOfProcess(threads, pid)) {
    ScopedHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId));
    if (!thread) continue;
    const DWORD previous = resume ? ResumeThread(thread.get()) : SuspendThread(thread.get());
    if (previous != static_cast<DWORD>(-1)) ++acted;
  }
  return acted;
}

ProcessDetail ReadProcessDetail(DWORD pid) {
  ProcessDetail detail;
  {
    ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    HANDLE rawToken = nullptr;
    if (process && OpenProcessToken(process.get(), TOKEN_READ, &rawToken)) {
      ScopedHandle token(rawToken);
      alignas(8) std::uint8_t buffer[512] = {};
      DWORD needed = 0;
      if (GetTokenInformation(token.get(), TokenUser, buffer, sizeof(buffer), &needed)) {
        const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer);
        wchar_t name[256] = {};
        wchar_t domain[256] = {};
        DWORD nameLength = 256, domainLength = 256;
        SID_NAME_USE use{};
        if (LookupAccountSidW(nullptr, user->User.Sid, name, &nameLength, domain, &domainLength, &use)) {
          detail.ownerAccount = OwnerAccountText(domain, name);
        }
      }
    }
  }

  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot) {
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
      if (entry.th32ProcessID == pid) {
        detail.parentPid = entry.th32ParentProcessID;
        break;
      }
    }
  }

  if (detail.parentPid != 0) {
    ScopedHandle parent(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, detail.parentPid));
    // An ended process that is still held open somewhere is not there any
    // more, and a process created after the child only reuses the parent's
    // identifier.
    DWORD exitCode = 0;
    const bool running = parent && GetExitCodeProcess(parent.get(), &exitCode) && exitCode == STILL_ACTIVE;
    const std::uint64_t childCreated = ProcessCreationTime(pid);
    const std::uint64_t parentCreated = running ? CreationTimeOf(parent.get()) : 0;
    const bool isTheParent = running && !(childCreated != 0 && parentCreated != 0 && parentCreated > childCreated);
    if (isTheParent) {
      wchar_t image[MAX_PATH + 1] = {};
      const DWORD length = GetProcessImageFileNameW(parent.get(), image, MAX_PATH);
      detail.parentName = FileNameOf(DevicePathToDrivePath(TextUpToNul(image, length), DriveDevices()));
    }
  }
  return detail;
}

std::vector<ModuleEntry> ListModules(DWORD pid) {
  std::vector<ModuleEntry> modules;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid));
  if (!snapshot) return modules;
  MODULEENTRY32W entry{sizeof(entry)};
  for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry)) {
    modules.push_back({TextUpToNul(entry.szModule, MAX_MODULE_NAME32 + 1),
                       LongFormIfShort(TextUpToNul(entry.szExePath, MAX_PATH))});
  }
  return modules;
}

}  // namespace kestro::systools
