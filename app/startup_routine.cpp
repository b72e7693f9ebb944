#include "app/startup_routine.hpp"

#include "systools/system_information.hpp"
#include "sigdb/database_loader.hpp"

namespace kestro::app {
namespace {

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class Routine {
 public:
  Routine(StartupPlatform& platform, AppContext& ctx, const std::vector<ExpectedLibrary>& table)
      : platform_(platform), ctx_(ctx), table_(table) {}

  StartupResult Run() {
    for (const StartupStep step : kOrder) {
      result_.lastStep = step;
      const Outcome outcome = RunStep(step);
      if (outcome == Outcome::Failed) result_.failedSteps.push_back(step);
      if (outcome == Outcome::EndProgram) {
        result_.endProgram = true;
        break;
      }
    }
    return result_;
  }

 private:
  enum class Outcome { Done, Failed, EndProgram };

  static constexpr StartupStep kOrder[] = {
      StartupStep::OperatingSystem,    StartupStep::Processor,       StartupStep::QuarantineFolder,
      StartupStep::DebugPrivilege,     StartupStep::RegisterComponents, StartupStep::Pictures,
      StartupStep::Databases,          StartupStep::CommonControls,  StartupStep::PreloadLibraries,
      StartupStep::ShellLibrary,       StartupStep::IdentityValues,  StartupStep::IdentityCheck,
      StartupStep::IntegrityCheck,     StartupStep::RemoveExtractFolder,
  };

  static Outcome DoneIf(bool ok) { return ok ? Outcome::Done : Outcome::Failed; }

  Outcome RunStep(StartupStep step) {
    switch (step) {
      case StartupStep::OperatingSystem: {
        system_ = platform_.QuerySystemInformation();
        if (!system_) return Outcome::Failed;
        ctx_.OsCaption = system_->osCaption;
        ctx_.OsVersionLine = system_->osVersionLine;
        ApplyWindowsXPRule(system_->osCaption, ctx_.IsWindowsXP);
        return Outcome::Done;
      }
      case StartupStep::Processor:
        if (!system_) return Outcome::Failed;
        ctx_.ProcessorLine = system_->processorLine;
        return Outcome::Done;
      case StartupStep::QuarantineFolder:
        return QuarantineFolder();
      case StartupStep::DebugPrivilege:
        return DoneIf(platform_.EnableDebugPrivilege());
      case StartupStep::RegisterComponents: {
        // The results are not checked: a component that is absent or cannot be
        // registered does not stop the start.
        for (const wchar_t* name : kCompanionComponents) {
          const auto path = ctx_.ProgramFolder / name;
          if (platform_.FileExists(path)) platform_.RegisterComponent(path);
        }
        return Outcome::Done;
      }
      case StartupStep::Pictures:
        switch (platform_.LoadPictures()) {
          case PictureLoad::Loaded:
            return Outcome::Done;
          case PictureLoad::SomeMissing:
            return Outcome::Failed;
          case PictureLoad::LibraryMissing:
            platform_.ShowMessage(Widen(kMessageBoxTitleBeforeIdentity), kPictureLibraryMissing,
                                  MessageKind::Exclamation);
            return Outcome::EndProgram;
        }
        return Outcome::Failed;
      case StartupStep::Databases:
        return Databases();
      case StartupStep::CommonControls:
        return DoneIf(platform_.InitCommonControls());
      case StartupStep::PreloadLibraries: {
        bool all = true;
        for (const wchar_t* name : kPreloadedLibraries) all = platform_.Preload(ctx_.ProgramFolder / name) && all;
        return DoneIf(all);
      }
      case StartupStep::ShellLibrary:
        return DoneIf(platform_.LoadShellLibrary());
      case StartupStep::IdentityValues:
        IdentityValues();
        return Outcome::Done;
      case StartupStep::IdentityCheck:
        return IdentityCheck();
      case StartupStep::IntegrityCheck:
        return IntegrityCheck();
      case StartupStep::RemoveExtractFolder:
        if (ctx_.ExtractFolder.empty()) return Outcome::Failed;
        platform_.DeleteFolderTree(ctx_.ExtractFolder);
        return Outcome::Done;
    }
    return Outcome::Failed;
  }

  Outcome QuarantineFolder() {
    const std::wstring windows = platform_.WindowsFolder().wstring();
    if (windows.size() < 3) return Outcome::Failed;
    ctx_.QuarantineFolder = std::filesystem::path(windows.substr(0, 3) + L"[ KESTRO ]");
    std::wstring extract = windows;
    if (extract.back() != L'\\') extract.push_back(L'\\');
    ctx_.ExtractFolder = std::filesystem::path(extract + L"Temp\\KESTRO");
    return DoneIf(platform_.PrepareQuarantineFolder(ctx_.QuarantineFolder));
  }

  Outcome Databases() {
    const auto outcome = sigdb::LoadDatabases(ctx_.ProgramFolder, ctx_.Signatures, ctx_.DatabaseValues);
    if (outcome.status == sigdb::LoadStatus::Missing) {
      platform_.ShowMessage(Widen(sigdb::kDatabaseMissingTitle), Widen(sigdb::kDatabaseMissingMessage),
                            MessageKind::Error);
      return Outcome::EndProgram;
    }
    for (const auto& file : outcome.outcomes) {
      if (file.status != sigdb::LoadStatus::Loaded) return Outcome::Failed;
    }
    return Outcome::Done;
  }

  std::wstring Export(const char* name) {
    const auto bytes = platform_.EngineExport(name);
    return bytes ? EngineText(*bytes) : std::wstring();
  }

  void IdentityValues() {
    ctx_.EngineVersion = Export("KESTRO_Version");
    ctx_.EditionTag = L"( Beta )";
    ctx_.EngineBuild = Export("KESTRO_Build");
    ctx_.EngineFileVersion = platform_.FileVersion(ctx_.ProgramFolder / L"KESTROEngine.dll");
    ctx_.ProgramTitle = Export("KESTRO_Program");
    ctx_.InetFileVersion = platform_.FileVersion(ctx_.ProgramFolder / L"KESTROInet.dll");
    ctx_.GuiFileVersion = platform_.FileVersion(ctx_.ProgramFolder / L"KESTROGui.dll");
    ctx_.SiteAddress = Export("KESTRO_Site");
    ctx_.EngineChecksum = Export("KESTRO_GetCRC");
  }

  Outcome IdentityCheck() {
    for (const std::wstring* value : {&ctx_.EngineVersion, &ctx_.EngineBuild, &ctx_.EngineFileVersion,
                                      &ctx_.ProgramTitle, &ctx_.GuiFileVersion, &ctx_.InetFileVersion,
                                      &ctx_.SiteAddress}) {
      if (value->empty()) {
        platform_.ShowMessage(Widen(kMessageBoxTitleBeforeIdentity), kEngineNotLoaded, MessageKind::Exclamation);
        return Outcome::EndProgram;
      }
    }
    return Outcome::Done;
  }

  Outcome IntegrityCheck() {
    std::wstring failed;
    if (ctx_.EngineChecksum != EngineIntegrityValue(ctx_.ProgramTitle, ctx_.EngineVersion, ctx_.EngineBuild,
                                                    ctx_.SiteAddress)) {
      failed = L"KESTROEngine.dll";
    }
    for (const auto& expected : table_) {
      if (!failed.empty()) break;
      const auto actual = platform_.Fingerprint(ctx_.ProgramFolder / expected.fileName);
      if (!actual || *actual != expected.fingerprint) failed = expected.fileName;
    }
    if (failed.empty()) return Outcome::Done;
    platform_.ShowMessage(ctx_.ProgramTitle, IntegrityFailureMessage(failed, ctx_.ProgramTitle),
                          MessageKind::Exclamation);
    return Outcome::EndProgram;
  }

  StartupPlatform& platform_;
  AppContext& ctx_;
  const std::vector<ExpectedLibrary>& table_;
  std::optional<SystemLines> system_;
  StartupResult result_;
};

}  // namespace

StartupResult RunStartupRoutine(StartupPlatform& platform, AppContext& ctx,
                                const std::vector<ExpectedLibrary>& integrityTable) {
  return Routine(platform, ctx, integrityTable).Run();
}

void ApplyWindowsXPRule(std::wstring_view caption, bool& isWindowsXP) {
  if (const auto windowsXP = systools::IsWindowsXPFromCaption(caption)) isWindowsXP = *windowsXP;
}

std::wstring EngineText(std::string_view bytes) {
  std::wstring text;
  for (const char c : bytes) {
    if (c != '\0') text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  return text;
}

}  // namespace kestro::app
