// Windows folder listing: FindFirstFileExW/FindNextFileW, whose records carry
// each entry's attributes and size. Only a reparse point that is not a folder
// (a file link) is opened, to learn whether its target is a file and its size.
#include "platform/folder_listing.hpp"

#include <windows.h>

#include <string>

namespace kestro::platform {

struct FolderListing::System {
  HANDLE find = INVALID_HANDLE_VALUE;
  bool opened = false;
  bool pending = false;  // `data` holds an entry not yet handed out (the first one)
  bool failed = false;
  WIN32_FIND_DATAW data{};
  std::wstring childPrefix;  // the folder's path as a child's path begins
  std::string utf8Name;
  bool kindKnown = false;
  ListedKind kind = ListedKind::Skipped;
  std::int64_t size = -1;

  void Resolve() {
    kindKnown = true;
    size = -1;
    const DWORD attributes = data.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      kind = ListedKind::Skipped;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
      // A file link: scanned like its target when that is a file.
      const std::wstring path = childPrefix + data.cFileName;
      HANDLE target = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      if (target == INVALID_HANDLE_VALUE) return;
      BY_HANDLE_FILE_INFORMATION info{};
      if (GetFileInformationByHandle(target, &info) != 0 && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        kind = ListedKind::File;
        size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
      }
      CloseHandle(target);
      return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      kind = ListedKind::Folder;
      return;
    }
    kind = ListedKind::File;
    size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  }
};

FolderListing::FolderListing(const std::filesystem::path& folder) : system_(std::make_unique<System>()) {
  System& s = *system_;
  const std::wstring pattern = (folder / L"*").wstring();
  s.childPrefix = pattern.substr(0, pattern.size() - 1);
  s.find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &s.data, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
  if (s.find != INVALID_HANDLE_VALUE) {
    s.opened = true;
    s.pending = true;
  } else if (GetLastError() == ERROR_FILE_NOT_FOUND) {
    // A drive root with nothing in it lists no "." either: empty, not unlistable.
    s.opened = true;
  }
}

FolderListing::~FolderListing() {
  if (system_->find != INVALID_HANDLE_VALUE) FindClose(system_->find);
}

bool FolderListing::Opened() const { return system_->opened; }

bool FolderListing::Next() {
  System& s = *system_;
  if (s.find == INVALID_HANDLE_VALUE) return false;
  for (;;) {
    if (s.pending) {
      s.pending = false;
    } else if (FindNextFileW(s.find, &s.data) == 0) {
      s.failed = GetLastError() != ERROR_NO_MORE_FILES;
      FindClose(s.find);
      s.find = INVALID_HANDLE_VALUE;
      return false;
    }
    const wchar_t* name = s.data.cFileName;
    if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;
    s.kindKnown = false;
    const int length = static_cast<int>(wcslen(name));
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, name, length, nullptr, 0, nullptr, nullptr);
    s.utf8Name.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, name, length, s.utf8Name.data(), bytes, nullptr, nullptr);
    return true;
  }
}

bool FolderListing::Failed() const { return system_->failed; }

std::basic_string_view<FolderListing::NativeChar> FolderListing::NativeName() const {
  return system_->data.cFileName;
}

std::string_view FolderListing::Name() const { return system_->utf8Name; }

ListedKind FolderListing::Kind() {
  if (!system_->kindKnown) system_->Resolve();
  return system_->kind;
}

std::int64_t FolderListing::FileSize() {
  if (Kind() != ListedKind::File) return -1;
  return system_->size;
}

}  // namespace kestro::platform
