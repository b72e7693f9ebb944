#pragma once
// The start-up routine's system side on Windows.

#include <windows.h>

#include "app/startup_routine.hpp"

namespace kestro::app {

class Win32StartupPlatform : public StartupPlatform {
 public:
  explicit Win32StartupPlatform(const std::filesystem::path& programFolder) : programFolder_(programFolder) {}

  std::optional<SystemLines> QuerySystemInformation() override;
  std::filesystem::path WindowsFolder() override;
  bool PrepareQuarantineFolder(const std::filesystem::path& folder) override;
  bool EnableDebugPrivilege() override;
  bool FileExists(const std::filesystem::path& path) override;
  bool RegisterComponent(const std::filesystem::path& path) override;
  PictureLoad LoadPictures() override;
  bool InitCommonControls() override;
  bool Preload(const std::filesystem::path& path) override;
  bool LoadShellLibrary() override;
  std::optional<std::string> EngineExport(const char* name) override;
  std::wstring FileVersion(const std::filesystem::path& path) override;
  std::optional<FileFingerprint> Fingerprint(const std::filesystem::path& path) override;
  void DeleteFolderTree(const std::filesystem::path& folder) override;
  void ShowMessage(std::wstring_view title, std::wstring_view text, MessageKind kind) override;

 private:
  std::filesystem::path programFolder_;
};

// shell32.dll as loaded by the start-up routine; the settings save unloads it.
void UnloadShellLibrary();

}  // namespace kestro::app
