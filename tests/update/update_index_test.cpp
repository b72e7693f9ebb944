// The update index reader and writer, the version comparison, and the name of
// the downloaded installer.
#include "update/update_index.hpp"

#include <gtest/gtest.h>

#include "update/update_flow.hpp"
#include "update/version_compare.hpp"

namespace kestro::update {
namespace {

// Line 2 with `version` starting at character 23.
std::string VersionLine(std::string_view version) {
  return "Latest version      : " + std::string(version);
}

std::string Index(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

TEST(UpdateIndex, ReadsTheVersionTheProgramAndTheDatabases) {
  UpdateIndex held;
  ReadUpdateIndex(Index({"KESTRO update", VersionLine("4.3"), "http://srv.example/files/KESTRO-Setup.exe",
                         "http://srv.example/files/DB_0x.avn", "http://srv.example/files/DB_1x.avn",
                         "http://srv.example/files/DB_2x.avn"}),
                  held);
  EXPECT_EQ(held.serverDigits, "43");
  EXPECT_EQ(held.programUrl, "http://srv.example/files/KESTRO-Setup.exe");
  EXPECT_EQ(held.programExtension, ".exe");
  EXPECT_EQ(held.databaseUrls[0], "http://srv.example/files/DB_0x.avn");
  EXPECT_EQ(held.databaseUrls[2], "http://srv.example/files/DB_2x.avn");
  EXPECT_EQ(ProgramUpdateFileName(held.serverDigits, held.programExtension), "UPDATE_43.exe");
  for (const auto& digest : held.digests) EXPECT_EQ(digest.state, FileDigest::State::Absent);
}

TEST(UpdateIndex, VersionColumnAndWidth) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {VersionLine("4.3"), "43"},
      {VersionLine("4.10"), "410"},
      {VersionLine("10.10"), "101"},           // only four characters are taken
      {VersionLine("4.3 (May 2013)"), "43 "},  // four characters, the blank included
      {VersionLine(""), ""},                   // 22 characters: nothing at 23
      {"4.3", ""},                             // short line
      {std::string(22, '-') + "..9.", "9"},
  };
  for (const auto& [line, digits] : cases) EXPECT_EQ(ServerDigitsOfLine(line), digits) << line;
}

TEST(UpdateIndex, ExtensionIsTheTextAfterTheLastDot) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"http://srv.example/files/setup.exe", ".exe"},
      {"http://srv.example/files/setup.tar.gz", ".gz"},
      // No extension in the file name: the last "." of the host or path counts.
      {"http://updates.example.com/download/setup", ".com/download/setup"},
      {"setup", ".setup"},
      {"", "."},
  };
  for (const auto& [url, extension] : cases) EXPECT_EQ(ExtensionOfUrl(url), extension) << url;
  // Such an extension still gives a plain file name in the program folder.
  EXPECT_EQ(ProgramUpdateFileName("43", ".com/download/setup"), "UPDATE_43.com_download_setup");
  EXPECT_EQ(ProgramUpdateFileName("4\\", ".e:x*e?"), "UPDATE_4_.e_x_e_");
}

TEST(UpdateIndex, ASecondReadOverwritesTheHeldValuesAndKeepsWhatItLacks) {
  UpdateIndex held;
  const std::string digest = "sha256 " + std::string(64, 'a');
  ReadUpdateIndex(Index({"x", VersionLine("4.3"), "http://a/p.exe", "http://a/0", "http://a/1", "http://a/2",
                         digest, digest, digest, digest}),
                  held);
  EXPECT_EQ(held.digests[kDigestProgram].state, FileDigest::State::Given);

  ReadUpdateIndex(Index({"x", VersionLine("4.4"), "http://b/p.msi", "http://b/0"}), held);
  EXPECT_EQ(held.serverDigits, "44");
  EXPECT_EQ(held.programUrl, "http://b/p.msi");
  EXPECT_EQ(held.programExtension, ".msi");
  EXPECT_EQ(held.databaseUrls[0], "http://b/0");
  // Line 5 is the empty piece after the final CR LF: it sets an empty address.
  EXPECT_EQ(held.databaseUrls[1], "");
  // Line 6 is missing: the earlier value stays.
  EXPECT_EQ(held.databaseUrls[2], "http://a/2");
  // Digests belong to one index only.
  for (const auto& d : held.digests) EXPECT_EQ(d.state, FileDigest::State::Absent);

  // Text without any line end is line 1 alone: nothing changes.
  ReadUpdateIndex("only one line", held);
  EXPECT_EQ(held.serverDigits, "44");
}

TEST(UpdateIndex, DigestLines) {
  const std::string hex(64, 'b');
  const std::vector<std::pair<std::string, FileDigest::State>> cases = {
      {"sha256 " + hex, FileDigest::State::Given},
      {"  sha256   " + std::string(64, 'B') + " \t", FileDigest::State::Given},
      {"", FileDigest::State::Absent},
      {"   ", FileDigest::State::Absent},
      {"sha256 " + hex.substr(1), FileDigest::State::Malformed},
      {"sha256 " + hex + "0", FileDigest::State::Malformed},
      {"SHA256 " + hex, FileDigest::State::Malformed},
      {"md5 " + std::string(32, 'b'), FileDigest::State::Malformed},
      {"sha256 " + std::string(63, 'b') + "z", FileDigest::State::Malformed},
  };
  for (const auto& [line, state] : cases) EXPECT_EQ(ParseDigestLine(line).state, state) << line;
  EXPECT_EQ(ParseDigestLine("sha256 " + hex).value, ParseDigestLine("sha256 " + std::string(64, 'B')).value);
}

TEST(UpdateIndex, WrittenIndexReadsBack) {
  IndexContent content;
  content.version = "4.3";
  content.programUrl = "http://srv.example/files/KESTRO-Setup.exe";
  content.databaseUrls = {"DB_0x.avn", "DB_1x.avn", "DB_2x.avn"};
  content.digests = {Sha256Of("zero"), std::nullopt, Sha256Of("two"), std::nullopt};
  const std::string text = WriteUpdateIndex(content);
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);

  UpdateIndex held;
  ReadUpdateIndex(text, held);
  EXPECT_EQ(held.serverDigits, "43");
  EXPECT_EQ(held.programUrl, content.programUrl);
  EXPECT_EQ(held.databaseUrls[1], "DB_1x.avn");
  EXPECT_EQ(held.digests[0].state, FileDigest::State::Given);
  EXPECT_EQ(held.digests[0].value, Sha256Of("zero"));
  EXPECT_EQ(held.digests[1].state, FileDigest::State::Absent);  // kept its place as an empty line
  EXPECT_EQ(held.digests[2].value, Sha256Of("two"));
  EXPECT_EQ(held.digests[3].state, FileDigest::State::Absent);
  // Nothing after the last digest.
  EXPECT_TRUE(text.ends_with("sha256 " + DigestText(Sha256Of("two")) + "\r\n"));
}

TEST(UpdateIndex, VersionsThePublisherRefuses) {
  EXPECT_EQ(VersionProblem("4.3"), "");
  EXPECT_EQ(VersionProblem("4.10"), "");
  EXPECT_EQ(VersionProblem("43"), "");
  for (const std::string bad : {"", "4.3.1", "10.10", "4.3a", "4 3", "..", "v4"}) {
    EXPECT_NE(VersionProblem(bad), "") << bad;
  }
}

TEST(VersionCompare, TextComparisonOfDigits) {
  struct Case {
    std::string server, local;
    bool newer;
  };
  const std::vector<Case> cases =
      {
          {"43", "42", true},   {"42", "42", false}, {"41", "42", false},
          {"410", "42", false},  // a text comparison, not a number: peers rely on it
          {"421", "42", true},  {"5", "42", true},   {"", "42", false},
          {"", "", false},      {"1", "", true},
      };
  for (const auto& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.server, c.local), c.newer) << c.server << " vs " << c.local;
  }
  EXPECT_EQ(VersionDigits("4.2"), "42");
  EXPECT_EQ(VersionDigits("4.1.0"), "410");
  EXPECT_EQ(VersionDigits(""), "");
}

TEST(UpdateIndex, RelativeAddressesResolveAgainstTheIndex) {
  const std::string index = "http://127.0.0.1:8080/files/update.txt";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"DB_0x.avn", "http://127.0.0.1:8080/files/DB_0x.avn"},
      {"sub/DB_0x.avn", "http://127.0.0.1:8080/files/sub/DB_0x.avn"},
      {"/other/x.exe", "http://127.0.0.1:8080/other/x.exe"},
      {"https://cdn.example/x.exe", "https://cdn.example/x.exe"},
  };
  for (const auto& [reference, full] : cases) EXPECT_EQ(ResolveUrl(index, reference), full) << reference;
  EXPECT_EQ(ResolveUrl("http://host", "a.txt"), "http://host/a.txt");
  EXPECT_EQ(ServerFolderAddress("http://host/files"), "http://host/files/");
  EXPECT_EQ(ServerFolderAddress("http://host/files/"), "http://host/files/");
}

}  // namespace
}  // namespace kestro::update
