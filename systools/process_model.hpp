// The process list's rows, its menu rules and the texts of the detail window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::systools {

// Priority items of the "Set Priority" menu, by their place in it (1 to 4).
struct PriorityItem {
  int index;
  const wchar_t* caption;
  std::uint32_t priorityClass;
};
inline constexpr PriorityItem kPriorityItems[] = {
    {1, L"Realtime Priority", 256},
    {2, L"High Priority", 128},
    {3, L"Normal Priority", 32},
    {4, L"Idle Priority", 64},
};
// The item to check for a process's priority class; none for the classes
// outside the four (below-normal, above-normal) or an unreadable class (0).
std::optional<int> CheckedPriorityItem(std::uint32_t priorityClass);

// Columns of the process list, by sub-item.
enum class ProcessColumn { Name = 0, Directory, Signature, Size, Pid, Memory };
struct ColumnSpec {
  const wchar_t* heading;
  bool rightAligned;
};
inline constexpr ColumnSpec kProcessColumns[] = {
    {L"Process Name", false}, {L"Directory", false}, {L"Digital Signature", true},
    {L"Size", true},          {L"PID", true},        {L"Mem. Usage", true},
};

// One row of the process list. The operations act on `pid`; `creationTime`
// (0 when unknown) tells the process apart from a later one that reuses its
// identifier.
struct ProcessRow {
  std::wstring name;
  std::wstring path;
  bool signedFile = false;
  std::wstring sizeText;
  std::uint32_t pid = 0;
  std::optional<std::uint64_t> workingSetBytes;
  std::uint64_t creationTime = 0;
};
// The text of a cell.
std::wstring ProcessCellText(const ProcessRow& row, ProcessColumn column);
// The row's key and its icon's key: "PID" + the identifier.
std::wstring ProcessRowKey(std::uint32_t pid);

// "Are you sure you want to terminate process " + the file name of the path.
std::wstring TerminateQuestion(std::wstring_view path);
// "File " + path + " not found !!"
std::wstring FileNotFoundText(std::wstring_view path);

// Suspend and Resume are one state for the whole list: after Suspend only
// Resume is enabled, after Resume only Suspend.
struct SuspendMenuState {
  bool suspendEnabled = true;
  bool resumeEnabled = true;
  void AfterSuspend() { suspendEnabled = false, resumeEnabled = true; }
  void AfterResume() { suspendEnabled = true, resumeEnabled = false; }
};

// Detail window texts.
inline constexpr std::uint64_t kDetailSizeLimit = 1048576000;  // larger files are refused
inline constexpr const wchar_t* kTooLargeText = L"This file is too large to be opened !";
inline constexpr const wchar_t* kNonExistentProcess = L"<Non-existent Process>";
// The file name up to its first ".", ":", the identifier and " properties".
std::wstring DetailWindowTitle(std::wstring_view path, std::uint32_t pid);
// The parent name or "<Non-existent Process>" when it is empty.
std::wstring ParentNameText(std::wstring_view parentName);
// Domain, "\" and user, each trimmed and without NULs; empty when both are.
std::wstring OwnerAccountText(std::wstring_view domain, std::wstring_view user);
// N + " - Module(s)".
std::wstring ModuleCountText(std::size_t count);

// Threads of the whole system as the thread snapshot lists them.
struct ThreadEntry {
  std::uint32_t threadId;
  std::uint32_t ownerPid;
};
// The threads that belong to `pid`, each once, in snapshot order.
std::vector<std::uint32_t> ThreadsOfProcess(const std::vector<ThreadEntry>& threads, std::uint32_t pid);

}  // namespace kestro::systools
