#include "cli/common/database_folders.hpp"

#include "platform/dynamic_library.hpp"

namespace kestro::cli {

std::vector<std::filesystem::path> DefaultDatabaseFolders(const std::filesystem::path& programFolder) {
  std::vector<std::filesystem::path> folders;
  if (!programFolder.empty()) {
    folders.push_back(programFolder);
    folders.push_back(programFolder.parent_path() / "share" / "kestro");
  }
#ifndef _WIN32
  folders.emplace_back("/usr/local/share/kestro");
  folders.emplace_back("/usr/share/kestro");
#endif
  return folders;
}

std::optional<std::filesystem::path> FindDefaultDatabaseFolder(const std::filesystem::path& programFolder) {
  for (const std::filesystem::path& folder : DefaultDatabaseFolders(programFolder)) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(folder / "DB_0x.avn", ec)) return folder;
  }
  return std::nullopt;
}

std::filesystem::path ArchiveLibraryFolder(const std::filesystem::path& programFolder) {
#ifndef _WIN32
  if (programFolder.empty()) return programFolder;
  const std::string library = platform::SharedLibraryFileName("RARExtract");
  const std::filesystem::path installed = programFolder.parent_path() / "lib" / "kestro";
  std::error_code ec;
  if (!std::filesystem::exists(programFolder / library, ec) && std::filesystem::exists(installed / library, ec)) {
    return installed;
  }
#endif
  return programFolder;
}

}  // namespace kestro::cli
