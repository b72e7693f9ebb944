#include "cli/common/database_folders.hpp"

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

}  // namespace kestro::cli
