// Windows file operations: attributes, DeleteFileW in the plain and device
// namespace forms, FindFirstFileW listings that mark reparse points, exclusive
// creation, and renames by MoveFileExW within a volume (the copy across volumes
// is portable code).
#include "platform/file_ops.hpp"

#include <windows.h>

#include <algorithm>

namespace kestro::platform {
namespace {

DWORD AttributesOf(const std::filesystem::path& path) { return GetFileAttributesW(path.c_str()); }

FileError ErrorFromCode(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return FileError::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return FileError::NotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileError::Exists;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return FileError::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileError::DiskFull;
    case ERROR_NOT_SAME_DEVICE: return FileError::OtherVolume;
    default: return FileError::Other;
  }
}

class Win32NewFile final : public NewFile {
 public:
  explicit Win32NewFile(HANDLE handle) : handle_(handle) {}
  ~Win32NewFile() override { Close(); }
  FileError Write(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD put = 0;
      if (!WriteFile(handle_, bytes.data() + done, chunk, &put, nullptr)) return ErrorFromCode(GetLastError());
      if (put == 0) return FileError::DiskFull;
      done += put;
    }
    return FileError::None;
  }
  FileError Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return FileError::None;
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed ? FileError::None : ErrorFromCode(GetLastError());
  }

 private:
  HANDLE handle_;
};

class Win32FileOps final : public FileOps {
 public:
  bool IsFile(const std::filesystem::path& path) override {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
  bool IsFolder(const std::filesystem::path& path) override {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  bool IsLink(const std::filesystem::path& path) override {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }
  bool Exists(const std::filesystem::path& path) override { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }
  bool MakeFolder(const std::filesystem::path& path) override {
    return CreateDirectoryW(path.c_str(), nullptr) != 0;
  }
  bool SetNormalAttributes(const std::filesystem::path& path) override {
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
  }
  bool SetHiddenSystemAttributes(const std::filesystem::path& path) override {
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) != 0;
  }
  bool RemoveFile(const std::filesystem::path& path) override { return DeleteFileW(path.c_str()) != 0; }
  bool RemoveFileDeviceForm(const std::filesystem::path& path) override {
    const std::wstring device = L"\\\\.\\" + path.wstring();
    return DeleteFileW(device.c_str()) != 0;
  }
  bool ForceRemoveFile(const std::filesystem::path& path) override {
    SetNormalAttributes(path);
    if (DeleteFileW(path.c_str()) != 0) return true;
    return RemoveFileDeviceForm(path);
  }
  bool RemoveEmptyFolder(const std::filesystem::path& path) override {
    return RemoveDirectoryW(path.c_str()) != 0;
  }
  bool RemoveLinkItself(const std::filesystem::path& path) override {
    const DWORD a = AttributesOf(path);
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), a & ~DWORD{FILE_ATTRIBUTE_READONLY});
    // A folder link or junction goes with RemoveDirectoryW, which removes the
    // reparse point and leaves its target alone.
    if (a & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(path.c_str()) != 0;
    return DeleteFileW(path.c_str()) != 0;
  }
  std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) override {
    std::vector<FolderEntry> entries;
    const std::wstring pattern = (folder / L"*").wstring();
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      FolderEntry entry{folder / name, EntryKind::File};
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) entry.kind = EntryKind::Link;
      else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) entry.kind = EntryKind::Folder;
      entries.push_back(std::move(entry));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
  }
  std::unique_ptr<NewFile> CreateNewFile(const std::filesystem::path& path, FileError& error) override {
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = ErrorFromCode(GetLastError());
      return nullptr;
    }
    error = FileError::None;
    return std::make_unique<Win32NewFile>(handle);
  }
  FileError RenameFile(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) override {
    // No MOVEFILE_COPY_ALLOWED: its copy creates the final name first and leaves
    // a partial file when the disk fills up.
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    if (MoveFileExW(from.c_str(), to.c_str(), flags)) return FileError::None;
    return ErrorFromCode(GetLastError());
  }
};

}  // namespace

FileOps& NativeFileOps() {
  static Win32FileOps ops;
  return ops;
}

std::optional<std::uint64_t> VolumeOf(const std::filesystem::path& path) {
  // Backup semantics open folders too; no access is asked for, only the facts.
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL ok = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!ok) return std::nullopt;
  return info.dwVolumeSerialNumber;
}

std::filesystem::path LongPathForm(const std::filesystem::path& path) {
  const std::wstring shortForm = path.wstring();
  if (shortForm.find(L'~') == std::wstring::npos) return path;
  const DWORD needed = GetLongPathNameW(shortForm.c_str(), nullptr, 0);
  if (needed == 0) return path;
  std::wstring longForm(needed, L'\0');
  const DWORD n = GetLongPathNameW(shortForm.c_str(), longForm.data(), needed);
  if (n == 0 || n >= needed) return path;
  longForm.resize(n);
  return std::filesystem::path(longForm);
}

}  // namespace kestro::platform
