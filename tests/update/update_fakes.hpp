#pragma once
// Stand-ins for the updater's interfaces: a downloader that serves bytes from a
// table (or fails), a recording background downloader and view, a probe, and
// file operations that can refuse one rename.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sigdb/database_writer.hpp"
#include "tests/support/temp_dir.hpp"
#include "update/download.hpp"
#include "update/update_files.hpp"
#include "update/update_flow.hpp"

namespace kestro::update::test {

// What the fake server answers for one address.
struct Served {
  std::string bytes;
  std::string error;  // non-empty: the fetch fails with this and writes nothing
};

class TableDownloader final : public UrlDownloader {
 public:
  DownloadResult Fetch(const std::string& url, const std::filesystem::path& destination,
                       const DownloadProgress& progress) override {
    fetched.push_back(url);
    const auto it = table.find(url);
    if (it == table.end()) return {false, "the server answered 404 Not Found"};
    if (!it->second.error.empty()) return {false, it->second.error};
    kestro::test::WriteFile(destination, it->second.bytes);
    if (progress) progress(it->second.bytes.size(), it->second.bytes.size());
    return {true, {}};
  }
  std::map<std::string, Served> table;
  std::vector<std::string> fetched;
};

class RecordingBackground final : public BackgroundDownloader {
 public:
  bool BeginDownload(const std::string& url, const std::filesystem::path& destination,
                     std::string& error) override {
    started.push_back({url, destination});
    if (!startError.empty()) error = startError;
    return startError.empty();
  }
  struct Start {
    std::string url;
    std::filesystem::path destination;
  };
  std::vector<Start> started;
  std::string startError;
};

class FixedProbe final : public ConnectivityProbe {
 public:
  bool IsConnected() override { return connected; }
  bool connected = true;
};

class RecordingView final : public UpdateView {
 public:
  void SetText(const std::string& t) override { text = t; }
  void AppendText(const std::string& t) override { text += t; }
  void ShowProgress(std::uint64_t received, std::uint64_t total) override {
    progress.push_back({received, total});
  }
  void ResetProgress() override { ++resets; }
  void ShowError(const std::string& t) override { errors.push_back(t); }
  bool AskYesNo(const std::string& t) override {
    questions.push_back(t);
    return answer;
  }
  void OpenFile(const std::filesystem::path& p) override { opened.push_back(p); }

  std::string text;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
  int resets = 0;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
  std::vector<std::filesystem::path> opened;
  bool answer = true;
};

// The real file system, except that renames onto the named files fail.
class RefusingFiles final : public UpdateFiles {
 public:
  std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path& p, std::size_t max) override {
    return real().ReadAll(p, max);
  }
  std::optional<std::uint64_t> FileSize(const std::filesystem::path& p) override {
    return real().FileSize(p);
  }
  bool Remove(const std::filesystem::path& p) override { return real().Remove(p); }
  bool Copy(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return !refuseCopies && real().Copy(from, to);
  }
  bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    replaced.push_back(to.filename().string());
    for (const auto& name : refuseReplaceOnto) {
      if (to.filename() == name) return false;
    }
    return real().Replace(from, to);
  }
  std::vector<std::string> refuseReplaceOnto;
  bool refuseCopies = false;
  std::vector<std::string> replaced;

 private:
  static UpdateFiles& real() { return NativeUpdateFiles(); }
};

inline std::string AsText(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A database file of `kind` holding `records` (DB_0x.avn dated `date`).
inline std::string DatabaseBytes(sigdb::DatabaseKind kind, const std::vector<sigdb::SignatureRecord>& records,
                                 const std::string& version, sigdb::Date date) {
  const sigdb::BuildOutcome built = sigdb::BuildDatabase(kind, {version, date}, records);
  return AsText(built.bytes);
}

// Three databases: an "old" or "new" set with different records.
inline std::vector<std::string> DatabaseSet(const std::string& tag, sigdb::Date date) {
  std::vector<std::string> set;
  for (int k = 0; k < 3; ++k) {
    const auto kind = static_cast<sigdb::DatabaseKind>(k);
    set.push_back(DatabaseBytes(kind,
                                {{"Test." + tag + ".A" + std::to_string(k), "AB" + std::to_string(k) + tag},
                                 {"Test." + tag + ".B" + std::to_string(k), "CD" + std::to_string(k)}},
                                tag + " version", date));
  }
  return set;
}

}  // namespace kestro::update::test
