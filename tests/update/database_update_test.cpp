// Verified database replacement: a download that is cut short, does not match
// its digest, does not decipher or cannot be put in place leaves the databases
// in use byte for byte as they were, and no temporary file behind.
#include "update/database_update.hpp"

#include <gtest/gtest.h>

#include "sigdb/cls_xor.hpp"
#include "tests/sigdb/sigdb_test_util.hpp"
#include "tests/update/update_fakes.hpp"

namespace kestro::update {
namespace {

using sigdb::DatabaseKind;
using test::DatabaseSet;
using test::Served;

const sigdb::Date kOld{std::chrono::year{2024}, std::chrono::month{1}, std::chrono::day{5}};
const sigdb::Date kNew{std::chrono::year{2026}, std::chrono::month{3}, std::chrono::day{9}};

class NoteTaker final : public DatabaseUpdateObserver {
 public:
  void DownloadStarting(DatabaseKind kind) override {
    notes.push_back("start " + std::to_string(static_cast<int>(kind)));
  }
  void DownloadChecked(DatabaseKind kind, const DatabaseCheck& check, const FileDigest&) override {
    notes.push_back((check.ok ? "ok " : "refused ") + std::to_string(static_cast<int>(kind)));
  }
  std::vector<std::string> notes;
};

class DatabaseUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int k = 0; k < 3; ++k) kestro::test::WriteFile(Db(k), oldSet[static_cast<std::size_t>(k)]);
    for (int k = 0; k < 3; ++k) {
      const std::string url = "http://srv/files/DB_" + std::to_string(k) + "x.avn";
      request.sources[static_cast<std::size_t>(k)] = {url, Given(newSet[static_cast<std::size_t>(k)])};
      downloader.table[url] = {newSet[static_cast<std::size_t>(k)], {}};
    }
    request.folder = dir.path();
  }

  static FileDigest Given(const std::string& bytes) {
    FileDigest digest;
    digest.state = FileDigest::State::Given;
    digest.value = Sha256Of(bytes);
    return digest;
  }
  std::filesystem::path Db(int k) const { return dir / ("DB_" + std::to_string(k) + "x.avn"); }
  std::string Current(int k) const { return test::AsText(kestro::test::ReadFile(Db(k))); }
  void Serve(int k, std::string bytes) {
    downloader.table[request.sources[static_cast<std::size_t>(k)].url].bytes = std::move(bytes);
  }

  void ExpectOldInPlaceAndNoLeftovers() const {
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(Current(k), oldSet[static_cast<std::size_t>(k)]) << "DB_" << k << "x.avn";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DB_0x.avn", "DB_1x.avn", "DB_2x.avn"}));
  }

  kestro::test::TempDir dir;
  std::vector<std::string> oldSet = DatabaseSet("old", kOld);
  std::vector<std::string> newSet = DatabaseSet("new", kNew);
  DatabaseUpdateRequest request;
  test::TableDownloader downloader;
  NoteTaker notes;
};

TEST_F(DatabaseUpdate, AllThreeVerifiedAreReplaced) {
  const auto outcome = UpdateDatabases(request, downloader, NativeUpdateFiles(), notes);
  EXPECT_EQ(outcome.result, DatabaseUpdateOutcome::Result::Replaced);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Current(k), newSet[static_cast<std::size_t>(k)]);
  EXPECT_EQ(notes.notes, (std::vector<std::string>{"start 0", "ok 0", "start 1", "ok 1", "start 2", "ok 2"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

TEST_F(DatabaseUpdate, ARefusedDownloadLeavesTheOldDatabases) {
  std::string wrongKey(newSet[1]);
  {
    // The plain text of DB_1x.avn enciphered under another key.
    std::vector<std::uint8_t> bytes(wrongKey.begin(), wrongKey.end());
    sigdb::clsXOR cipher;
    cipher.DecryptByte(bytes, sigdb::kDatabaseKey);
    cipher.EncryptByte(bytes, "OTHER_KEY");
    wrongKey.assign(bytes.begin(), bytes.end());
  }
  struct Case {
    std::string label;
    int kind;
    std::string served;
    bool keepDigest;  // false: the index gives no digest, so only the loader judges
    std::string reasonPart;
  };
  const std::vector<Case> cases = {
      {"cut short, with digest", 1, newSet[1].substr(0, newSet[1].size() / 2), true, "SHA-256"},
      {"cut short mid-line, no digest", 1, newSet[1].substr(0, newSet[1].size() - 5), false, "cut short"},
      {"DB_0x cut in half, no digest", 0, newSet[0].substr(0, newSet[0].size() / 2), false, "cut short"},
      {"another file, with digest", 2, oldSet[2], true, "SHA-256"},
      {"does not decipher, no digest", 1, wrongKey, false, "does not decipher"},
      {"DB_0x does not decipher, no digest", 0, std::string(newSet[0].size(), 'Z'), false,
       "does not decipher"},
      {"empty, no digest", 2, "", false, "empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    Serve(c.kind, c.served);
    if (!c.keepDigest) request.sources[static_cast<std::size_t>(c.kind)].digest = {};
    notes.notes.clear();
    const auto outcome = UpdateDatabases(request, downloader, NativeUpdateFiles(), notes);
    EXPECT_EQ(outcome.result, DatabaseUpdateOutcome::Result::DownloadFailed);
    EXPECT_EQ(static_cast<int>(outcome.failedKind), c.kind);
    EXPECT_NE(outcome.reason.find(c.reasonPart), std::string::npos) << outcome.reason;
    EXPECT_EQ(notes.notes.back(), "refused " + std::to_string(c.kind));
    ExpectOldInPlaceAndNoLeftovers();
  }
}

TEST_F(DatabaseUpdate, FailedOrMissingDownloadsAndMalformedDigests) {
  downloader.table[request.sources[0].url].error = "the server could not be reached";
  auto outcome = UpdateDatabases(request, downloader, NativeUpdateFiles(), notes);
  EXPECT_EQ(outcome.reason, "the server could not be reached");
  ExpectOldInPlaceAndNoLeftovers();

  SetUp();
  downloader.table[request.sources[0].url].error.clear();
  request.sources[2].url.clear();
  outcome = UpdateDatabases(request, downloader, NativeUpdateFiles(), notes);
  EXPECT_EQ(outcome.reason, "the update index gives no address for it");
  ExpectOldInPlaceAndNoLeftovers();

  SetUp();
  request.sources[1].digest.state = FileDigest::State::Malformed;
  outcome = UpdateDatabases(request, downloader, NativeUpdateFiles(), notes);
  EXPECT_EQ(outcome.reason, MalformedDigestReason());
  ExpectOldInPlaceAndNoLeftovers();
}

TEST_F(DatabaseUpdate, ARenameThatFailsPutsTheReplacedOnesBack) {
  for (const std::string refused : {"DB_0x.avn", "DB_1x.avn", "DB_2x.avn"}) {
    SCOPED_TRACE(refused);
    SetUp();
    test::RefusingFiles files;
    files.refuseReplaceOnto = {refused};
    const auto outcome = UpdateDatabases(request, downloader, files, notes);
    EXPECT_EQ(outcome.result, DatabaseUpdateOutcome::Result::ReplaceFailed);
    EXPECT_EQ(outcome.reason, refused + " could not be replaced");
    ExpectOldInPlaceAndNoLeftovers();
  }

  // The copy aside cannot be made: nothing is touched.
  SetUp();
  test::RefusingFiles files;
  files.refuseCopies = true;
  const auto outcome = UpdateDatabases(request, downloader, files, notes);
  EXPECT_EQ(outcome.result, DatabaseUpdateOutcome::Result::ReplaceFailed);
  EXPECT_TRUE(files.replaced.empty());
  ExpectOldInPlaceAndNoLeftovers();
}

TEST_F(DatabaseUpdate, APutBackThatFailsKeepsTheOnlyOldCopy) {
  // DB_2x.avn cannot be replaced, and DB_0x.avn cannot be put back afterwards.
  class Files final : public UpdateFiles {
   public:
    std::optional<std::vector<std::uint8_t>> ReadAll(const std::filesystem::path& p, std::size_t m) override {
      return NativeUpdateFiles().ReadAll(p, m);
    }
    std::optional<std::uint64_t> FileSize(const std::filesystem::path& p) override {
      return NativeUpdateFiles().FileSize(p);
    }
    bool Remove(const std::filesystem::path& p) override { return NativeUpdateFiles().Remove(p); }
    bool Copy(const std::filesystem::path& f, const std::filesystem::path& t) override {
      return NativeUpdateFiles().Copy(f, t);
    }
    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
      if (to.filename() == "DB_2x.avn") return false;
      if (from.filename() == "DB_0x.avn.old") return false;
      return NativeUpdateFiles().Replace(from, to);
    }
  } files;
  const auto outcome = UpdateDatabases(request, downloader, files, notes);
  EXPECT_EQ(outcome.result, DatabaseUpdateOutcome::Result::ReplaceFailed);
  EXPECT_NE(outcome.reason.find("the old DB_0x.avn could not be put back (it is kept as DB_0x.avn.old)"),
            std::string::npos)
      << outcome.reason;
  EXPECT_EQ(test::AsText(kestro::test::ReadFile(dir / "DB_0x.avn.old")), oldSet[0]);
  EXPECT_EQ(Current(1), oldSet[1]);
  EXPECT_EQ(Current(2), oldSet[2]);
}

TEST_F(DatabaseUpdate, MissingDatabasesAreInstalledAndIdenticalOnesCanBeKept) {
  std::filesystem::remove(Db(1));
  auto outcome = UpdateDatabases(request, downloader, NativeUpdateFiles(), notes);
  EXPECT_EQ(outcome.result, DatabaseUpdateOutcome::Result::Replaced);
  EXPECT_EQ(Current(1), newSet[1]);

  request.keepWhenIdentical = true;
  outcome = UpdateDatabases(request, downloader, NativeUpdateFiles(), notes);
  EXPECT_EQ(outcome.result, DatabaseUpdateOutcome::Result::Unchanged);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

TEST(DatabaseVerify, ReasonsForTheLoaderOutcomes) {
  const std::string good = test::DatabaseBytes(DatabaseKind::SectionHead, {{"A", "1"}}, "", kNew);
  const auto bytes = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
  EXPECT_TRUE(VerifyDatabase(bytes(good), DatabaseKind::SectionHead, {}).ok);
  EXPECT_EQ(VerifyDatabase(bytes(good), DatabaseKind::SectionHead, {}).records, 1u);
  // DB_0x.avn as the tool writes it without records keeps its header and loads;
  // an empty file is refused (a server that sends nothing is the likelier cause).
  EXPECT_TRUE(VerifyDatabase(bytes(test::DatabaseBytes(DatabaseKind::FileChecksum, {}, "v", kNew)),
                             DatabaseKind::FileChecksum, {})
                  .ok);
  EXPECT_EQ(VerifyDatabase({}, DatabaseKind::Icon, {}).reason, "the file is empty");
  // The two header lines without the final line end: cut short.
  const auto headerOnly = VerifyDatabase(
      bytes(test::AsText(sigdb::test::Enciphered("3132\r\n" + sigdb::test::HeaderLine("09-Mar-26")))),
      DatabaseKind::FileChecksum, {});
  EXPECT_NE(headerOnly.reason.find("cut short"), std::string::npos) << headerOnly.reason;
  // A first line that is no record, with more lines after it.
  const auto garbage = VerifyDatabase(bytes(test::AsText(sigdb::test::Enciphered("ZZ\r\nZZ\r\n"))),
                                      DatabaseKind::SectionHead, {});
  EXPECT_NE(garbage.reason.find("does not decipher"), std::string::npos) << garbage.reason;
  // A record that is not one, in the middle of the file.
  const auto damaged = VerifyDatabase(
      bytes(test::AsText(sigdb::test::Enciphered(sigdb::test::RecordLine("A;1") + "\r\nZZ\r\n" +
                                                 sigdb::test::RecordLine("B;2") + "\r\n"))),
      DatabaseKind::SectionHead, {});
  EXPECT_EQ(damaged.reason, "line 2 is not a record (the file is damaged)");
}

}  // namespace
}  // namespace kestro::update
