// End to end: kestro-sigtool publish writes a server folder, a loopback HTTP
// server serves it, and kestro-update brings out-of-date databases up to date,
// or, when the server cuts a file short or serves the wrong one, leaves the
// databases in use untouched and exits 1.
#include <gtest/gtest.h>

#include <algorithm>

#include "sigdb/database_writer.hpp"
#include "tests/support/run_program.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/update/http_test_server.hpp"

namespace kestro {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunTool;
using test::WriteFile;

const sigdb::Date kOldDate{std::chrono::year{2024}, std::chrono::month{1}, std::chrono::day{5}};

std::vector<std::uint8_t> Database(int kind, const std::string& tag, sigdb::Date date) {
  const std::vector<sigdb::SignatureRecord> records = {
      {"Test." + tag + ".A", "AB12" + std::to_string(kind)},
      {"Test." + tag + ".B", "CD34" + std::to_string(kind)},
  };
  return sigdb::BuildDatabase(static_cast<sigdb::DatabaseKind>(kind), {tag + " databases", date}, records)
      .bytes;
}

std::string PathArg(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class UpdateEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(sources);
    fs::create_directories(installed);
    for (int k = 0; k < 3; ++k) {
      oldSet.push_back(Database(k, "old", kOldDate));
      newSet.push_back(Database(k, "new", sigdb::LocalToday()));
      WriteFile(Source(k), newSet.back());
      WriteFile(Installed(k), oldSet.back());
    }
    ASSERT_TRUE(server.ok());
  }

  fs::path Source(int k) const { return sources / ("DB_" + std::to_string(k) + "x.avn"); }
  fs::path Installed(int k) const { return installed / ("DB_" + std::to_string(k) + "x.avn"); }
  fs::path Served(int k) const { return site / "files" / ("DB_" + std::to_string(k) + "x.avn"); }

  test::ProgramResult Publish(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"publish", PathArg(site), "--version",
                                     "4.3",     "--program",   "KESTRO-Setup.exe"};
    args.insert(args.end(), extra.begin(), extra.end());
    for (int k = 0; k < 3; ++k) args.push_back(PathArg(Source(k)));
    return RunTool("kestro-sigtool", args);
  }
  test::ProgramResult Update() {
    return RunTool("kestro-update", {"--server", server.Url("files/"), "--db", PathArg(installed)});
  }
  void ExpectOldInstalled() const {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(ReadFile(Installed(k)), oldSet[static_cast<std::size_t>(k)]) << k;
    EXPECT_EQ(Names(installed), (std::vector<std::string>{"DB_0x.avn", "DB_1x.avn", "DB_2x.avn"}));
  }

  test::TempDir dir;
  fs::path sources = dir / "sources";
  fs::path installed = dir / "installed";
  fs::path site = dir / "site";
  std::vector<std::vector<std::uint8_t>> oldSet;
  std::vector<std::vector<std::uint8_t>> newSet;
  test::HttpTestServer server{site};
};

TEST_F(UpdateEndToEnd, PublishedDatabasesReplaceOutOfDateOnes) {
  ASSERT_EQ(Publish().exitCode, 0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(ReadFile(Served(k)), newSet[static_cast<std::size_t>(k)]);

  const auto first = Update();
  EXPECT_EQ(first.exitCode, 0) << first.out;
  for (int k = 0; k < 3; ++k) EXPECT_EQ(ReadFile(Installed(k)), newSet[static_cast<std::size_t>(k)]) << k;
  EXPECT_EQ(Names(installed), (std::vector<std::string>{"DB_0x.avn", "DB_1x.avn", "DB_2x.avn"}));
  EXPECT_NE(first.out.find("Updated: DB_0x.avn, DB_1x.avn and DB_2x.avn replaced"), std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("A newer program version is available: 4.3"), std::string::npos) << first.out;
  const auto requests = server.Requests();
  EXPECT_EQ(requests.front(), "/files/update.txt");

  // Dated today, the databases are now up to date: nothing more is fetched.
  const auto second = Update();
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_NE(second.out.find("are up to date"), std::string::npos) << second.out;
  EXPECT_EQ(server.Requests().size(), requests.size() + 1);  // the index only
}

TEST_F(UpdateEndToEnd, AServerThatCutsADatabaseShortChangesNothing) {
  ASSERT_EQ(Publish().exitCode, 0);
  server.CutShort("/files/DB_1x.avn", newSet[1].size() / 2);
  const auto result = Update();
  EXPECT_EQ(result.exitCode, 1) << result.out;
  ExpectOldInstalled();
}

TEST_F(UpdateEndToEnd, WrongOrMissingFilesOnTheServerChangeNothing) {
  ASSERT_EQ(Publish().exitCode, 0);
  // A sound database, but not the one the index's digest names.
  WriteFile(Served(2), oldSet[2]);
  auto result = Update();
  EXPECT_EQ(result.exitCode, 1);
  ExpectOldInstalled();

  fs::remove(Served(2));
  result = Update();
  EXPECT_EQ(result.exitCode, 1);
  ExpectOldInstalled();

  fs::remove(site / "files" / "update.txt");
  result = Update();
  EXPECT_EQ(result.exitCode, 1);
  ExpectOldInstalled();
}

TEST_F(UpdateEndToEnd, NoServerChangesNothing) {
  ASSERT_EQ(Publish().exitCode, 0);
  std::string address;
  {
    // A server that has stopped: its port no longer listens.
    test::HttpTestServer stopped{site};
    ASSERT_TRUE(stopped.ok());
    address = stopped.Url("files/");
  }
  const auto result = RunTool("kestro-update", {"--server", address, "--db", PathArg(installed)});
  EXPECT_EQ(result.exitCode, 1);
  ExpectOldInstalled();
}

TEST_F(UpdateEndToEnd, PublishRefusesUnsoundInput) {
  WriteFile(Source(1), std::vector<std::uint8_t>(newSet[1].begin(), newSet[1].end() - 3));
  auto result = Publish();
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_FALSE(fs::exists(site / "files" / "update.txt"));

  WriteFile(Source(1), newSet[1]);
  result = RunTool("kestro-sigtool", {"publish", PathArg(site), "--version", "4.3.1", "--program", "x.exe",
                                      PathArg(Source(0)), PathArg(Source(1)), PathArg(Source(2))});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_FALSE(fs::exists(site / "files" / "update.txt"));
}

}  // namespace
}  // namespace kestro
