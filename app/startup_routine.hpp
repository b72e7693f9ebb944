#pragma once
// The start-up routine: the steps the program runs before its splash, in a fixed
// order. A step that fails is skipped and the next one runs, unless the step
// itself ends the program (the picture library missing, a database missing, an
// identity value empty, the integrity check failing).
//
// The list views are themed and styled by the pages that create them, and the
// option pictures are set by the options page; those steps are not repeated here.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_context.hpp"
#include "app/integrity.hpp"

namespace kestro::app {

enum class StartupStep {
  OperatingSystem,     // system information: the operating-system lines and IsWindowsXP
  Processor,           // system information: the processor line
  QuarantineFolder,
  DebugPrivilege,
  RegisterComponents,  // the companion libraries, each through RegisterComponent
  Pictures,            // the window pictures from KESTROGui.dll
  Databases,           // DB_0x.avn, DB_1x.avn, DB_2x.avn
  CommonControls,
  PreloadLibraries,    // RARExtract.dll, KESTROEngine.dll, KESTROInet.dll, kept loaded
  ShellLibrary,        // shell32.dll from the system folder
  IdentityValues,      // from the engine library and the companions' version resources
  IdentityCheck,       // an empty identity value ends the program
  IntegrityCheck,
  RemoveExtractFolder,
};

inline constexpr std::string_view kMessageBoxTitleBeforeIdentity = "KESTRO Antivirus";
inline constexpr std::wstring_view kPictureLibraryMissing =
    L"Sorry, file KESTROGui.dll not found !!\r\nThis program not running.";
inline constexpr std::wstring_view kEngineNotLoaded = L"Engine error, not loaded !!\r\nPlease restart application";

// The companion libraries registered at start, in this order.
inline constexpr const wchar_t* kCompanionComponents[] = {
    L"KESTROEngine.dll", L"COMCTL32.OCX", L"KESTROKeyboard.dll", L"KESTROGui.dll", L"KESTROInet.dll", L"RARExtract.dll",
};
// The libraries preloaded by full path and kept loaded, in this order.
inline constexpr const wchar_t* kPreloadedLibraries[] = {L"RARExtract.dll", L"KESTROEngine.dll", L"KESTROInet.dll"};

struct SystemLines {
  std::wstring osCaption, osVersionLine, processorLine;
};

enum class PictureLoad { Loaded, SomeMissing, LibraryMissing };

enum class MessageKind { Exclamation, Error };

// What the routine needs of the system. Windows implements it with the real
// calls; tests use a fake.
class StartupPlatform {
 public:
  virtual ~StartupPlatform() = default;
  virtual std::optional<SystemLines> QuerySystemInformation() = 0;
  virtual std::filesystem::path WindowsFolder() = 0;  // empty when unknown
  virtual bool PrepareQuarantineFolder(const std::filesystem::path& folder) = 0;
  virtual bool EnableDebugPrivilege() = 0;
  virtual bool FileExists(const std::filesystem::path& path) = 0;
  virtual bool RegisterComponent(const std::filesystem::path& path) = 0;
  virtual PictureLoad LoadPictures() = 0;
  virtual bool InitCommonControls() = 0;
  virtual bool Preload(const std::filesystem::path& path) = 0;
  virtual bool LoadShellLibrary() = 0;
  // A no-argument export of the engine library, as the bytes of the returned
  // string; nothing when the library or the export is missing.
  virtual std::optional<std::string> EngineExport(const char* name) = 0;
  virtual std::wstring FileVersion(const std::filesystem::path& path) = 0;
  // The facts the integrity check compares; nothing when the file cannot be read.
  virtual std::optional<FileFingerprint> Fingerprint(const std::filesystem::path& path) = 0;
  virtual void DeleteFolderTree(const std::filesystem::path& folder) = 0;
  virtual void ShowMessage(std::wstring_view title, std::wstring_view text, MessageKind kind) = 0;
};

struct StartupResult {
  bool endProgram = false;
  StartupStep lastStep = StartupStep::OperatingSystem;  // the step that ended it, or the last one run
  std::vector<StartupStep> failedSteps;                // skipped because they failed
};

// Fills ctx (identity, folders, system lines, databases) and answers whether the
// program must end.
StartupResult RunStartupRoutine(StartupPlatform& platform, AppContext& ctx,
                                const std::vector<ExpectedLibrary>& integrityTable);

// The IsWindowsXP rule on the operating-system caption: "XP" sets it, "7" or
// "Vista" clears it, anything else leaves it as it was.
void ApplyWindowsXPRule(std::wstring_view caption, bool& isWindowsXP);

// An engine export's bytes as the program reads them: widened one by one, NUL
// characters removed.
std::wstring EngineText(std::string_view bytes);

}  // namespace kestro::app
