#include "app/win32/startup_platform_win32.hpp"

#include <commctrl.h>
#include <oleauto.h>

#include <fstream>
#include <vector>

#include "app/component_registration.hpp"
#include "app/win32/file_version.hpp"
#include "app/win32/pictures.hpp"
#include "app/win32/system_information.hpp"
#include "app/win32/system_privileges.hpp"
#include "io/crc32.hpp"
#include "platform/file_ops.hpp"
#include "platform/messages.hpp"
#include "platform/processes.hpp"
#include "remedy/delete_routine.hpp"
#include "remedy/quarantine_store.hpp"

namespace kestro::app {
namespace {

HMODULE g_shellLibrary = nullptr;

// A remediation context for the start-up's folder work (no title is known yet;
// the delete routine's messages do not occur for folders).
remedy::RemedyContext StartupRemedyContext() {
  return remedy::RemedyContext{platform::NativeFileOps(), platform::NativeProcessTerminator(),
                               platform::NativeUserMessages(), "KESTRO Antivirus"};
}

}  // namespace

std::optional<SystemLines> Win32StartupPlatform::QuerySystemInformation() { return QuerySystemLines(); }

std::filesystem::path Win32StartupPlatform::WindowsFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::filesystem::path(std::wstring(buffer, length));
}

bool Win32StartupPlatform::PrepareQuarantineFolder(const std::filesystem::path& folder) {
  auto context = StartupRemedyContext();
  remedy::QuarantineStore store(folder, context, nullptr);
  return store.PrepareFolder();
}

bool Win32StartupPlatform::EnableDebugPrivilege() { return app::EnableDebugPrivilege(); }

bool Win32StartupPlatform::FileExists(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32StartupPlatform::RegisterComponent(const std::filesystem::path& path) {
  return app::RegisterComponent(path, false, NativeComponentLoader());
}

PictureLoad Win32StartupPlatform::LoadPictures() { return LoadStartupPictures(programFolder_, ProgramPictures()); }

bool Win32StartupPlatform::InitCommonControls() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS |
                                                      ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                                      ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  return InitCommonControlsEx(&controls) != FALSE;
}

bool Win32StartupPlatform::Preload(const std::filesystem::path& path) {
  // Kept loaded for the life of the program, so that later loads by name bind
  // to these copies.
  return LoadLibraryW(path.c_str()) != nullptr;
}

bool Win32StartupPlatform::LoadShellLibrary() {
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::wstring path = std::wstring(system, length) + L"\\shell32.dll";
  g_shellLibrary = LoadLibraryW(path.c_str());
  return g_shellLibrary != nullptr;
}

std::optional<std::string> Win32StartupPlatform::EngineExport(const char* name) {
  const auto path = programFolder_ / L"KESTROEngine.dll";
  HMODULE engine = GetModuleHandleW(path.c_str());
  if (engine == nullptr) engine = LoadLibraryW(path.c_str());  // kept, as the preload keeps it
  if (engine == nullptr) return std::nullopt;
  using Export = BSTR(WINAPI*)();
  const auto call = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(engine, name)));
  if (call == nullptr) return std::nullopt;
  BSTR value = call();
  if (value == nullptr) return std::string();
  std::string bytes(reinterpret_cast<const char*>(value), SysStringByteLen(value));
  SysFreeString(value);
  return bytes;
}

std::wstring Win32StartupPlatform::FileVersion(const std::filesystem::path& path) { return FileVersionText(path); }

std::optional<FileFingerprint> Win32StartupPlatform::Fingerprint(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  FileFingerprint fingerprint;
  std::vector<char> buffer(1 << 16);
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(file.gcount());
    if (got == 0) break;
    fingerprint.size += got;
    fingerprint.crc32 = checks::Crc32Continue(
        fingerprint.crc32, std::span(reinterpret_cast<const std::uint8_t*>(buffer.data()), got));
  }
  if (file.bad()) return std::nullopt;
  return fingerprint;
}

void Win32StartupPlatform::DeleteFolderTree(const std::filesystem::path& folder) {
  auto context = StartupRemedyContext();
  remedy::DeleteRoutine(context).DeleteFolderTree(folder);
}

void Win32StartupPlatform::ShowMessage(std::wstring_view title, std::wstring_view text, MessageKind kind) {
  const std::wstring t(title), m(text);
  MessageBoxW(nullptr, m.c_str(), t.c_str(), static_cast<UINT>(MB_OK) | (kind == MessageKind::Error ? static_cast<UINT>(MB_ICONERROR) : static_cast<UINT>(MB_ICONEXCLAMATION)));
}

void UnloadShellLibrary() {
  if (g_shellLibrary != nullptr) FreeLibrary(g_shellLibrary);
  g_shellLibrary = nullptr;
}

}  // namespace kestro::app
