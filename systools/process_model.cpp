#include "systools/process_model.hpp"

#include <algorithm>

#include "systools/path_normalise.hpp"
#include "systools/size_text.hpp"

namespace kestro::systools {
namespace {

std::wstring TrimSpacesAndNuls(std::wstring_view text) {
  std::wstring kept;
  for (const wchar_t c : text) {
    if (c != L'\0') kept.push_back(c);
  }
  const std::size_t first = kept.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  const std::size_t last = kept.find_last_not_of(L' ');
  return kept.substr(first, last - first + 1);
}

}  // namespace

std::optional<int> CheckedPriorityItem(std::uint32_t priorityClass) {
  for (const PriorityItem& item : kPriorityItems) {
    if (item.priorityClass == priorityClass) return item.index;
  }
  return std::nullopt;
}

std::wstring ProcessCellText(const ProcessRow& row, ProcessColumn column) {
  switch (column) {
    case ProcessColumn::Name:
      return row.name;
    case ProcessColumn::Directory:
      return row.path;
    case ProcessColumn::Signature:
      return row.signedFile ? L"Yes" : L"No";
    case ProcessColumn::Size:
      return row.sizeText;
    case ProcessColumn::Pid:
      return std::to_wstring(row.pid);
    case ProcessColumn::Memory:
      return row.workingSetBytes ? MemoryUsageText(*row.workingSetBytes) : std::wstring{};
  }
  return {};
}

std::wstring ProcessRowKey(std::uint32_t pid) {
  return L"PID" + std::to_wstring(pid);
}

std::wstring TerminateQuestion(std::wstring_view path) {
  return L"Are you sure you want to terminate process " + FileNameOf(path);
}

std::wstring FileNotFoundText(std::wstring_view path) {
  return L"File " + std::wstring(path) + L" not found !!";
}

std::wstring DetailWindowTitle(std::wstring_view path, std::uint32_t pid) {
  std::wstring name = FileNameOf(path);
  const std::size_t dot = name.find(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name + L":" + std::to_wstring(pid) + L" properties";
}

std::wstring ParentNameText(std::wstring_view parentName) {
  return parentName.empty() ? std::wstring(kNonExistentProcess) : std::wstring(parentName);
}

std::wstring OwnerAccountText(std::wstring_view domain, std::wstring_view user) {
  const std::wstring d = TrimSpacesAndNuls(domain);
  const std::wstring u = TrimSpacesAndNuls(user);
  if (d.empty() && u.empty()) return {};
  return d + L"\\" + u;
}

std::wstring ModuleCountText(std::size_t count) {
  return std::to_wstring(count) + L" - Module(s)";
}

std::vector<std::uint32_t> ThreadsOfProcess(const std::vector<ThreadEntry>& threads, std::uint32_t pid) {
  std::vector<std::uint32_t> ids;
  for (const ThreadEntry& thread : threads) {
    if (thread.ownerPid != pid) continue;
    if (std::find(ids.begin(), ids.end(), thread.threadId) == ids.end()) ids.push_back(thread.threadId);
  }
  return ids;
}

}  // namespace kestro::systools
