// The update flow: the text box lines of every branch, the verified database
// replacement, and the background download of the installer with its events.
#include "update/update_flow.hpp"

#include <gtest/gtest.h>

#include "tests/update/update_fakes.hpp"
#include "update/update_texts.hpp"

namespace kestro::update {
namespace {

namespace fs = std::filesystem;
using test::Served;

const sigdb::Date kDbDate{std::chrono::year{2026}, std::chrono::month{3}, std::chrono::day{9}};
const sigdb::Date kSameDay = kDbDate;
const sigdb::Date kNextDay{std::chrono::year{2026}, std::chrono::month{3}, std::chrono::day{10}};
const std::string kBase = "http://srv.example/files/";
const std::string kRuleText(25, '-');

std::string VersionLine(std::string_view version) {
  return "Latest version      : " + std::string(version);
}

class Flow : public ::testing::Test {
 protected:
  Flow() {
    fs::create_directories(programFolder);
    fs::create_directories(appData);
    for (int k = 0; k < 3; ++k) kestro::test::WriteFile(Db(k), oldSet[static_cast<std::size_t>(k)]);
    values.DatabaseVersion = "old version";
    values.DatabaseDate = kDbDate;
    for (int k = 0; k < 3; ++k) downloader.table[DbUrl(k)] = {newSet[static_cast<std::size_t>(k)], {}};
    downloader.table[kBase + "ChangeLog.txt"] = {"Version 4.3\r\n- faster scans\r\n", {}};
    downloader.table[kBase + "KESTRO-Setup.exe"] = {installer, {}};
    ServeIndex("4.3", true);
  }

  static std::string DbUrl(int k) { return kBase + "DB_" + std::to_string(k) + "x.avn"; }
  fs::path Db(int k) const { return programFolder / ("DB_" + std::to_string(k) + "x.avn"); }
  std::string Current(int k) const { return test::AsText(kestro::test::ReadFile(Db(k))); }

  void ServeIndex(const std::string& version, bool digests, const std::string& program = "KESTRO-Setup.exe") {
    std::string text = "KESTRO update index\r\n" + VersionLine(version) + "\r\n" +
                       (program.empty() ? "" : kBase + program) + "\r\n";
    for (int k = 0; k < 3; ++k) text += DbUrl(k) + "\r\n";
    if (digests) {
      for (int k = 0; k < 3; ++k)
        text += "sha256 " + DigestText(Sha256Of(newSet[static_cast<std::size_t>(k)])) + "\r\n";
      text += "sha256 " + DigestText(Sha256Of(installer)) + "\r\n";
    }
    downloader.table[kBase + "update.txt"] = {text, {}};
  }

  UpdateFlow MakeFlow(sigdb::Date today) {
    UpdateSettings settings{kBase, programFolder, appData, "KESTRO Antivirus", "4.2"};
    UpdateServices services{probe,
                            downloader,
                            background,
                            NativeUpdateFiles(),
                            view,
                            values,
                            [today] { return today; },
                            [this] { ++replacedCalls; }};
    return UpdateFlow(settings, services);
  }

  // Plays the background download: writes `bytes` where the flow asked for them.
  void Deliver(UpdateFlow& flow, const std::string& bytes, std::uint64_t total) {
    ASSERT_FALSE(background.started.empty());
    const fs::path destination = background.started.back().destination;
    kestro::test::WriteFile(destination, bytes);
    flow.OnDownloadProgress(bytes.size() / 2, total, destination);
    flow.OnDownloadComplete(total, destination);
  }

  kestro::test::TempDir dir;
  fs::path programFolder = dir / "Program";
  fs::path appData = dir / "AppData";
  std::vector<std::string> oldSet = test::DatabaseSet("old", kDbDate);
  std::vector<std::string> newSet = test::DatabaseSet("new", kNextDay);
  std::string installer = std::string("MZ installer of version 4.3 ") + std::string(3000, 'i');
  sigdb::DatabaseValues values;
  test::FixedProbe probe;
  test::TableDownloader downloader;
  test::RecordingBackground background;
  test::RecordingView view;
  int replacedCalls = 0;
};

TEST_F(Flow, NotConnected) {
  probe.connected = false;
  auto flow = MakeFlow(kSameDay);
  flow.Run();
  EXPECT_EQ(view.text, "Error !\r\n" + kRuleText + "\r\nYour computer is not connected to Internet.\r\n");
  EXPECT_EQ(flow.state(), UpdateFlow::State::NotConnected);
  EXPECT_TRUE(downloader.fetched.empty());
}

TEST_F(Flow, OutOfDateDatabasesAreReplacedWhenAllThreeVerify) {
  auto flow = MakeFlow(kNextDay);
  flow.Run();
  EXPECT_EQ(view.text, "Check for update\r\n" + kRuleText +
                           "\r\n"
                           "Update found !\r\n"
                           "Downloading database update 1 ...  SUCCESS\r\n"
                           "Downloading database update 2 ... \r\n SUCCESS\r\n"
                           "Downloading database update 3 ... \r\n SUCCESS\r\n"
                           "Update complete, please restart the program to take effect !\r\n");
  EXPECT_EQ(flow.state(), UpdateFlow::State::DatabasesReplaced);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Current(k), newSet[static_cast<std::size_t>(k)]);
  EXPECT_EQ(replacedCalls, 1);
  // The program version is not compared in that run, and KESTRO.tmp is gone.
  EXPECT_TRUE(background.started.empty());
  EXPECT_FALSE(fs::exists(appData / "KESTRO.tmp"));
  EXPECT_EQ(std::distance(fs::directory_iterator(programFolder), {}), 3);
}

TEST_F(Flow, WithoutDigestsTheTextSaysSo) {
  ServeIndex("4.3", false);
  auto flow = MakeFlow(kNextDay);
  flow.Run();
  const std::string note = std::string(kNoDatabaseDigest) + "\r\n";
  EXPECT_EQ(view.text, "Check for update\r\n" + kRuleText +
                           "\r\n"
                           "Update found !\r\n"
                           "Downloading database update 1 ...  SUCCESS\r\n" +
                           note + "Downloading database update 2 ... \r\n SUCCESS\r\n" + note +
                           "Downloading database update 3 ... \r\n SUCCESS\r\n" + note +
                           "Update complete, please restart the program to take effect !\r\n");
}

TEST_F(Flow, AFailedDatabaseSaysWhyAndKeepsTheOldOnes) {
  downloader.table[DbUrl(1)].bytes.resize(newSet[1].size() - 7);
  auto flow = MakeFlow(kNextDay);
  flow.Run();
  EXPECT_EQ(view.text, "Check for update\r\n" + kRuleText +
                           "\r\n"
                           "Update found !\r\n"
                           "Downloading database update 1 ...  SUCCESS\r\n"
                           "Downloading database update 2 ... \r\n"
                           " FAILED: the file does not match the SHA-256 digest of the update index\r\n"
                           "Update failed, your databases were not changed !\r\n");
  EXPECT_EQ(flow.state(), UpdateFlow::State::DatabasesFailed);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Current(k), oldSet[static_cast<std::size_t>(k)]);
  EXPECT_EQ(replacedCalls, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(programFolder), {}), 3);
  EXPECT_TRUE(view.errors.empty());
}

TEST_F(Flow, AnUnreachableIndexIsTheReasonUnlessAnEarlierCheckGaveAddresses) {
  downloader.table[kBase + "update.txt"].error = "the server could not be reached";
  auto flow = MakeFlow(kNextDay);
  flow.Run();
  EXPECT_EQ(view.text, "Check for update\r\n" + kRuleText +
                           "\r\n"
                           "Update found !\r\n"
                           "Downloading database update 1 ...  FAILED: the server could not be reached\r\n"
                           "Update failed, your databases were not changed !\r\n");
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Current(k), oldSet[static_cast<std::size_t>(k)]);

  // An index read earlier in the run still gives the addresses.
  downloader.table[kBase + "update.txt"].error.clear();
  sigdb::Date today = kSameDay;
  UpdateSettings settings{kBase, programFolder, appData, "KESTRO Antivirus", "4.2"};
  UpdateServices services{
      probe, downloader, background, NativeUpdateFiles(), view, values, [&] { return today; }, {}};
  UpdateFlow later(settings, services);
  later.Run();  // up to date: reads the index
  downloader.table[kBase + "update.txt"].error = "the server could not be reached";
  today = kNextDay;
  later.Run();  // out of date now, and the index cannot be fetched
  EXPECT_TRUE(view.text.ends_with("Update complete, please restart the program to take effect !\r\n"))
      << view.text;
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Current(k), newSet[static_cast<std::size_t>(k)]);
}

TEST_F(Flow, ARenameThatFailsIsReported) {
  test::RefusingFiles files;
  files.refuseReplaceOnto = {"DB_2x.avn"};
  UpdateSettings settings{kBase, programFolder, appData, "KESTRO Antivirus", "4.2"};
  UpdateServices services{probe, downloader, background, files, view, values, [] { return kNextDay; }, {}};
  UpdateFlow flow(settings, services);
  flow.Run();
  EXPECT_TRUE(
      view.text.ends_with(" SUCCESS\r\n"
                          "Replacing the databases ...  FAILED: DB_2x.avn could not be replaced\r\n"
                          "Update failed, your databases were not changed !\r\n"))
      << view.text;
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Current(k), oldSet[static_cast<std::size_t>(k)]);
}

TEST_F(Flow, UpToDateWithTheLatestProgram) {
  for (const std::string version : {"4.2", "4.10", "4.1", ""}) {
    SCOPED_TRACE(version);
    ServeIndex(version, true);
    view.text.clear();
    auto flow = MakeFlow(kSameDay);
    flow.Run();
    EXPECT_EQ(view.text, "Check for update\r\n" + kRuleText +
                             "\r\n"
                             "Your all KESTRO database already up to date !\r\n"
                             "You already have the latest version of KESTRO Antivirus program !\r\n");
    EXPECT_EQ(flow.state(), UpdateFlow::State::UpToDate);
    EXPECT_TRUE(background.started.empty());
    EXPECT_FALSE(fs::exists(appData / "KESTRO.tmp"));
  }
}

TEST_F(Flow, AnUnreachableIndexIsNotReportedAsTheLatestVersion) {
  downloader.table[kBase + "update.txt"].error = "the server answered 404 Not Found";
  auto flow = MakeFlow(kSameDay);
  flow.Run();
  EXPECT_EQ(view.text,
            "Check for update\r\n" + kRuleText +
                "\r\n"
                "Your all KESTRO database already up to date !\r\n"
                "Could not check for a newer program version: the server answered 404 Not Found\r\n");
  // A stale index of an earlier check is never read in its place.
  kestro::test::WriteFile(appData / "KESTRO.tmp", "x\r\n" + VersionLine("9.9") + "\r\n");
  view.text.clear();
  flow.Run();
  EXPECT_NE(view.text.find("Could not check"), std::string::npos);
  EXPECT_TRUE(background.started.empty());
}

TEST_F(Flow, ANewerProgramIsDownloadedCheckedAndOffered) {
  auto flow = MakeFlow(kSameDay);
  flow.Run();
  EXPECT_EQ(view.text, "Check for update\r\n" + kRuleText +
                           "\r\n"
                           "Your all KESTRO database already up to date !\r\n" +
                           kRuleText +
                           "\r\nUpdate found !\r\n"
                           "Downloading program update ...  SUCCESS\r\n" +
                           kRuleText + "Version 4.3\r\n- faster scans\r\n" + kRuleText + "\r\n");
  EXPECT_EQ(flow.state(), UpdateFlow::State::ProgramUpdateFound);
  ASSERT_EQ(background.started.size(), 1u);
  EXPECT_EQ(background.started[0].url, kBase + "KESTRO-Setup.exe");
  EXPECT_EQ(background.started[0].destination, programFolder / "UPDATE_43.exe.part");
  EXPECT_FALSE(fs::exists(appData / "KESTRO.tmp"));
  EXPECT_FALSE(fs::exists(appData / "Log.tmp"));

  Deliver(flow, installer, installer.size());
  EXPECT_EQ(view.progress,
            (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{installer.size() / 2, installer.size()}}));
  EXPECT_EQ(view.text, "Update complete !!\r\n");
  EXPECT_EQ(view.questions, std::vector<std::string>{"Are you sure want to install new update ?"});
  EXPECT_EQ(view.opened, std::vector<fs::path>{programFolder / "UPDATE_43.exe"});
  EXPECT_EQ(test::AsText(kestro::test::ReadFile(programFolder / "UPDATE_43.exe")), installer);
  EXPECT_FALSE(fs::exists(programFolder / "UPDATE_43.exe.part"));
  EXPECT_EQ(flow.programDownload(), UpdateFlow::ProgramDownload::Completed);

  // Answering No leaves the file and opens nothing.
  view.opened.clear();
  view.answer = false;
  auto second = MakeFlow(kSameDay);
  second.Run();
  Deliver(second, installer, installer.size());
  EXPECT_TRUE(view.opened.empty());
  EXPECT_TRUE(fs::exists(programFolder / "UPDATE_43.exe"));
}

TEST_F(Flow, NoOfferForADownloadThatIsNotTheRightFile) {
  struct Case {
    std::string label;
    std::string bytes;
    std::uint64_t total;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"empty", "", 0, "the server sent no data"},
      {"shorter than announced", installer.substr(0, 100), installer.size(),
       "the download is incomplete (100 of " + std::to_string(installer.size()) + " bytes)"},
      {"another file", std::string(installer.size(), 'x'), installer.size(),
       "the file does not match the SHA-256 digest of the update index"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    background.started.clear();
    view.questions.clear();
    auto flow = MakeFlow(kSameDay);
    flow.Run();
    Deliver(flow, c.bytes, c.total);
    EXPECT_EQ(view.text, "Error Download ...\r\n" + c.reason);
    EXPECT_TRUE(view.questions.empty());
    EXPECT_FALSE(fs::exists(programFolder / "UPDATE_43.exe"));
    EXPECT_FALSE(fs::exists(programFolder / "UPDATE_43.exe.part"));
    EXPECT_EQ(flow.programDownload(), UpdateFlow::ProgramDownload::Failed);
  }
}

TEST_F(Flow, NoCompletionOfferAfterADownloadError) {
  auto flow = MakeFlow(kSameDay);
  flow.Run();
  const fs::path partial = background.started.at(0).destination;
  flow.OnDownloadError(partial, "");
  EXPECT_EQ(view.text, "Error Download ...");
  // The completion that some downloaders raise after their error changes nothing.
  kestro::test::WriteFile(partial, "");
  flow.OnDownloadComplete(0, partial);
  EXPECT_EQ(view.text, "Error Download ...");
  EXPECT_TRUE(view.questions.empty());
  EXPECT_TRUE(view.opened.empty());

  // Events for another file are not this download's.
  auto other = MakeFlow(kSameDay);
  other.Run();
  view.text = "kept";
  other.OnDownloadError(programFolder / "something else", "x");
  other.OnDownloadComplete(1, programFolder / "something else");
  EXPECT_EQ(view.text, "kept");
}

TEST_F(Flow, ProgramStepsThatCannotStart) {
  struct Case {
    std::string label;
    std::function<void()> arrange;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"download refused", [&] { background.startError = "a program download is already under way"; },
       " FAILED: a program download is already under way"},
      {"no address", [&] { ServeIndex("4.3", false, ""); },
       " FAILED: the update index gives no address for it"},
      {"no digest", [&] { ServeIndex("4.3", false); }, " SUCCESS\r\n" + std::string(kNoProgramDigest)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    background.startError.clear();
    ServeIndex("4.3", true);
    c.arrange();
    auto flow = MakeFlow(kSameDay);
    flow.Run();
    EXPECT_NE(view.text.find("Downloading program update ... " + c.line + "\r\n" + kRuleText + "Version 4.3"),
              std::string::npos)
        << view.text;
  }
}

TEST_F(Flow, AMissingChangeLogIsAServerError) {
  downloader.table.erase(kBase + "ChangeLog.txt");
  auto flow = MakeFlow(kSameDay);
  flow.Run();
  EXPECT_EQ(view.errors, std::vector<std::string>{"Server error !"});
  EXPECT_EQ(flow.state(), UpdateFlow::State::ServerError);
}

TEST_F(Flow, ASecondCheckUsesTheNewIndex) {
  auto flow = MakeFlow(kSameDay);
  flow.Run();
  EXPECT_EQ(flow.held().serverDigits, "43");
  ServeIndex("4.4", true, "KESTRO-Setup.msi");
  downloader.table[kBase + "KESTRO-Setup.msi"] = {installer, {}};
  flow.Run();
  EXPECT_EQ(flow.held().serverDigits, "44");
  // The first download is still under way, so the second is not started.
  EXPECT_EQ(background.started.size(), 1u);
  EXPECT_NE(view.text.find(" FAILED: a program download is already under way"), std::string::npos);
  Deliver(flow, installer, installer.size());
  EXPECT_EQ(view.opened, std::vector<fs::path>{programFolder / "UPDATE_43.exe"});

  flow.Run();
  ASSERT_EQ(background.started.size(), 2u);
  EXPECT_EQ(background.started[1].destination, programFolder / "UPDATE_44.msi.part");
}

}  // namespace
}  // namespace kestro::update
