// The server folder kestro-sigtool publish writes, read back as the updater reads it.
#include "update/publish.hpp"

#include <gtest/gtest.h>

#include "tests/update/update_fakes.hpp"
#include "update/update_index.hpp"

namespace kestro::update {
namespace {

namespace fs = std::filesystem;

const sigdb::Date kDate{std::chrono::year{2026}, std::chrono::month{3}, std::chrono::day{9}};

TEST(Publish, WritesTheIndexTheFilesAndTheirDigests) {
  kestro::test::TempDir dir;
  const std::vector<std::string> set = test::DatabaseSet("pub", kDate);
  PublishRequest request;
  request.outFolder = dir / "site";
  request.version = "4.3";
  request.programFile = dir / "KESTRO-Setup-4.3.exe";
  request.baseUrl = "http://cdn.example/files";
  request.changeLog = dir / "changes.txt";
  kestro::test::WriteFile(*request.programFile, "MZ setup");
  kestro::test::WriteFile(*request.changeLog, "4.3\nfaster\r\nsmaller\rend");
  for (int k = 0; k < 3; ++k) {
    request.databases[static_cast<std::size_t>(k)] = dir / ("in" + std::to_string(k));
    kestro::test::WriteFile(request.databases[static_cast<std::size_t>(k)], set[static_cast<std::size_t>(k)]);
  }
  const PublishOutcome outcome = PublishUpdate(request);
  ASSERT_EQ(outcome.error, "");

  const fs::path files = dir / "site" / "files";
  UpdateIndex index;
  ReadUpdateIndex(test::AsText(kestro::test::ReadFile(files / "update.txt")), index);
  EXPECT_EQ(index.serverDigits, "43");
  EXPECT_EQ(index.programUrl, "KESTRO-Setup-4.3.exe");
  EXPECT_EQ(index.databaseUrls[1], "http://cdn.example/files/DB_1x.avn");
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(test::AsText(kestro::test::ReadFile(files / ("DB_" + std::to_string(k) + "x.avn"))), set[k]);
    EXPECT_EQ(index.digests[k].value, Sha256Of(set[k]));
  }
  EXPECT_EQ(index.digests[kDigestProgram].value, Sha256Of("MZ setup"));
  EXPECT_EQ(test::AsText(kestro::test::ReadFile(files / "KESTRO-Setup-4.3.exe")), "MZ setup");
  EXPECT_EQ(test::AsText(kestro::test::ReadFile(files / "ChangeLog.txt")),
            "4.3\r\nfaster\r\nsmaller\r\nend\r\n");
  // Nothing half-written is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(files), {}), 6);
}

TEST(Publish, RefusalsWriteNothing) {
  kestro::test::TempDir dir;
  const std::vector<std::string> set = test::DatabaseSet("pub", kDate);
  PublishRequest request;
  request.outFolder = dir / "site";
  request.version = "4.3";
  request.programUrl = "http://x/setup.exe";
  for (int k = 0; k < 3; ++k) {
    request.databases[static_cast<std::size_t>(k)] = dir / ("in" + std::to_string(k));
    kestro::test::WriteFile(request.databases[static_cast<std::size_t>(k)], set[static_cast<std::size_t>(k)]);
  }
  // DB_1x in the place of DB_0x: the header date does not decipher.
  request.databases[0] = request.databases[1];
  EXPECT_NE(PublishUpdate(request).error.find("is not a sound DB_0x.avn"), std::string::npos);
  request.databases[0] = dir / "in0";
  request.version = "10.10";
  EXPECT_NE(PublishUpdate(request).error, "");
  request.version = "4.3";
  request.programUrl.clear();
  EXPECT_NE(PublishUpdate(request).error, "");
  EXPECT_FALSE(fs::exists(dir / "site"));
}

}  // namespace
}  // namespace kestro::update
