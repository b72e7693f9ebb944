#pragma once
// The update check behind "&Update Now": connectivity, the index, then either
// the three databases (when the loaded ones are out of date) or the program
// version and, when a newer one exists, the background download of its
// installer. Every step is reported as lines of the page's text box.
//
// The check runs synchronously; the installer download goes on afterwards and
// reports through OnDownloadProgress / OnDownloadError / OnDownloadComplete,
// which the window calls when the downloader's events arrive.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "sigdb/database_date.hpp"
#include "sigdb/database_values.hpp"
#include "update/download.hpp"
#include "update/update_files.hpp"
#include "update/update_index.hpp"

namespace kestro::update {

// What the flow shows. Texts are in the system code page, one char per byte.
class UpdateView {
 public:
  virtual ~UpdateView() = default;
  // The text box txtInfo: replace all of its text, or add to its end.
  virtual void SetText(const std::string& text) = 0;
  virtual void AppendText(const std::string& text) = 0;
  // The progress bar progUpd: a download under way, and the neutral state.
  virtual void ShowProgress(std::uint64_t received, std::uint64_t total) = 0;
  virtual void ResetProgress() = 0;
  // A message box with the error icon, titled with the program name.
  virtual void ShowError(const std::string& text) = 0;
  // A Yes/No question with the information icon, titled with the program name.
  virtual bool AskYesNo(const std::string& text) = 0;
  // Opens a file with the shell's "open" verb.
  virtual void OpenFile(const std::filesystem::path& path) = 0;
};

struct UpdateSettings {
  std::string serverBase;               // address of the folder holding update.txt, ending in "/"
  std::filesystem::path programFolder;  // the databases and the downloaded installer
  std::filesystem::path appDataFolder;  // KESTRO.tmp and Log.tmp
  std::string programName;              // ProgramTitle
  std::string localVersion;             // EngineVersion, "4.2"
};

struct UpdateServices {
  ConnectivityProbe& probe;
  UrlDownloader& downloader;
  BackgroundDownloader& background;
  UpdateFiles& files;
  UpdateView& view;
  const sigdb::DatabaseValues& databaseValues;  // of the databases loaded at start
  std::function<sigdb::Date()> today;
  std::function<void()> databasesReplaced;  // optional: told after new databases are in place
};

inline constexpr std::string_view kIndexFileName = "update.txt";
inline constexpr std::string_view kChangeLogFileName = "ChangeLog.txt";
inline constexpr std::string_view kIndexTempName = "KESTRO.tmp";
inline constexpr std::string_view kChangeLogTempName = "Log.tmp";
inline constexpr std::string_view kPartialSuffix = ".part";
inline constexpr std::size_t kMaxChangeLogBytes = 1024 * 1024;

// "UPDATE_" + digits + extension, with every character a file name cannot hold
// made "_" (the extension comes from the server and may hold "/" or ":").
std::string ProgramUpdateFileName(std::string_view serverDigits, std::string_view extension);

// The server base as the folder address: a "/" added when it lacks one.
std::string ServerFolderAddress(std::string_view serverBase);

class UpdateFlow {
 public:
  enum class State {
    Idle,                // no check yet
    NotConnected,        // the probe found no connection
    DatabasesReplaced,   // out of date: the three new databases are in place
    DatabasesFailed,     // out of date: a download or the replacement failed; old ones kept
    UpToDate,            // no newer program (or the version could not be checked)
    ProgramUpdateFound,  // a newer program: its download was started (or failed to start)
    ServerError,         // a run-time failure: "Server error !"
  };
  enum class ProgramDownload { None, Running, Failed, Completed };

  UpdateFlow(UpdateSettings settings, UpdateServices services);

  // The check, on "&Update Now".
  void Run();

  // Events of the background download. `destination` tells which download they
  // belong to; events of any other file are ignored.
  void OnDownloadProgress(std::uint64_t received, std::uint64_t total,
                          const std::filesystem::path& destination);
  void OnDownloadError(const std::filesystem::path& destination, const std::string& reason);
  void OnDownloadComplete(std::uint64_t total, const std::filesystem::path& destination);

  State state() const { return state_; }
  ProgramDownload programDownload() const { return programDownload_; }
  const UpdateIndex& held() const { return held_; }
  // The installer's final path, and the temporary name it is downloaded to.
  const std::filesystem::path& programFile() const { return programFile_; }
  const std::filesystem::path& programPartialFile() const { return programPartial_; }

 private:
  std::string IndexUrl() const;
  void Check();
  void UpdateTheDatabases(bool indexRead, const std::string& indexError);
  void CheckTheProgram(bool indexRead, const std::string& indexError);
  void StartProgramDownload();
  void ShowChangeLog();
  void FailProgramDownload(const std::string& reason);

  UpdateSettings settings_;
  UpdateServices services_;
  UpdateIndex held_;
  State state_ = State::Idle;
  ProgramDownload programDownload_ = ProgramDownload::None;
  FileDigest programDigest_;
  std::filesystem::path programFile_;
  std::filesystem::path programPartial_;
};

}  // namespace kestro::update
