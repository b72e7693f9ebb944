#pragma once
// Names and folders the system gives at run time: the user and computer names,
// the system folder and the shell's special folders.

#include <filesystem>
#include <string>

namespace kestro::platform {

// Shell special folders, numbered as the shell numbers them (CSIDL).
enum class SpecialFolder : int {
  Startup = 7,
  AppData = 26,
  LocalAppData = 28,
  MyPictures = 39,
};

// The USERNAME environment variable as UTF-8 (empty when unset).
std::string UserNameFromEnvironment();
// Windows: GetComputerNameW with a 16-character buffer (empty when it fails).
// POSIX: the host name.
std::string ComputerName();
// Windows: the system folder (GetSystemDirectoryW) with a trailing backslash.
// POSIX: empty.
std::string SystemFolderText();
// Windows: the special folder's path (SHGetSpecialFolderPathW, not created when
// missing). POSIX: empty, as these folders do not exist there.
std::filesystem::path SpecialFolderPath(SpecialFolder folder);

}  // namespace kestro::platform
