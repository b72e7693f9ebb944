// The script, test-file and script-infector checks: one case per table row, the
// near misses that are easy to get wrong, and the repair of HTML files.
#include <gtest/gtest.h>

#include "checks/autorun_check.hpp"
#include "checks/script_checks.hpp"
#include "tests/checks/detection_test_util.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {

using checks::CheckResult;
using checks::FileView;

// Letters outweigh the range 32..57, so the character statistic never decides.
const std::string kLetters(200, 'z');

CheckResult Script(const std::string& path, const ByteVec& bytes) {
  return RunOn([](FileView& v) { return checks::ScriptCheck(v); }, path, bytes);
}

std::string Joined(const std::vector<std::string>& markers, std::size_t skip = SIZE_MAX) {
  std::string text = kLetters;
  for (std::size_t i = 0; i < markers.size(); ++i) {
    if (i != skip) text += markers[i] + kLetters;
  }
  return text;
}

std::string FlipCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

TEST(ScriptCheck, EveryGeneralGroupHitsAndEveryIncompleteGroupMisses) {
  const auto& groups = checks::GeneralScriptGroups();
  ASSERT_EQ(groups.size(), 45u);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    SCOPED_TRACE("general group " + std::to_string(g + 1));
    const auto& markers = groups[g].markers;
    EXPECT_EQ(Describe(Script("C:\\x\\a.vbs", ToBytes(Joined(markers)))), "hit MAL.SCRIPT.VBS");
    if (markers.size() > 1) {
      for (std::size_t skip = 0; skip < markers.size(); ++skip) {
        EXPECT_EQ(Describe(Script("a.vbs", ToBytes(Joined(markers, skip)))), "miss") << "without " << skip;
      }
    } else if (FlipCase(markers[0]) != markers[0]) {
      EXPECT_EQ(Describe(Script("a.vbs", ToBytes(Joined({FlipCase(markers[0])})))), "miss") << "case";
    }
  }
}

TEST(ScriptCheck, EveryPhpGroupHitsAndPhpFilesSeeOnlyPhpGroups) {
  const auto& groups = checks::PhpGroups();
  ASSERT_EQ(groups.size(), 4u);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    SCOPED_TRACE("php group " + std::to_string(g + 1));
    EXPECT_EQ(Describe(Script("a.php", ToBytes(Joined(groups[g].markers)))), "hit PHP.BACKDOOR");
    for (std::size_t skip = 0; skip < groups[g].markers.size(); ++skip) {
      EXPECT_EQ(Describe(Script("a.php", ToBytes(Joined(groups[g].markers, skip)))), "miss");
    }
    // A PHP group in another script is not a backdoor.
    EXPECT_NE(Describe(Script("a.vbs", ToBytes(Joined(groups[g].markers)))), "hit PHP.BACKDOOR");
  }
  EXPECT_EQ(Describe(Script("a.php", ToBytes("TASKKILL"))), "miss");
  EXPECT_EQ(Describe(Script("a.php", ToBytes("12345678 90"))), "miss") << "no statistic for PHP";
  EXPECT_EQ(Describe(Script("a.php", ToBytes("$deldir $SERVER_SOFTWARE"))), "hit PHP.BACKDOOR");
  // The \n pairs of group 3 are backslash and n, not line breaks.
  EXPECT_EQ(Describe(Script("a.php", ToBytes("$a5\n$b33\n$c87\n$d23\n$e09\n$f23\n$g32\n$h65 shell($cmd)"))), "miss");
}

TEST(ScriptCheck, ExtensionListIsAPlainSubstringTestOfTheLastThreeCharacters) {
  const ByteVec taskkill = ToBytes(kLetters + "TASKKILL");
  struct Case { const char* path; const char* expected; };
  const Case cases[] = {
      {"a.vbs", "hit MAL.SCRIPT.VBS"}, {"A.VBE", "hit MAL.SCRIPT.VBE"}, {"a.Bat", "hit MAL.SCRIPT.BAT"},
      {"a.cmd", "hit MAL.SCRIPT.CMD"}, {"a.com", "hit MAL.SCRIPT.COM"}, {"a.txt", "miss"},
      {"a.js", "miss"}, {"/x.y/filevbs", "hit MAL.SCRIPT.Y/FILEVBS"}, {"noextBAT", "hit MAL.SCRIPT.NOEXTBAT"},
      {"a.e p", "hit MAL.SCRIPT.E P"},  // "E P" occurs in "VBE PHP"
  };
  for (const Case& c : cases) EXPECT_EQ(Describe(Script(c.path, taskkill)), c.expected) << c.path;
}

TEST(ScriptCheck, FirstGroupsAndEdgeCasesOfThePart) {
  EXPECT_EQ(Describe(Script("a.vbs", ToBytes(kLetters + "ILOVEYOU"))), "miss");
  EXPECT_EQ(Describe(Script("a.vbs", ToBytes(kLetters + "%windir%\\system32 Merlin"))), "miss");
  EXPECT_EQ(Describe(Script("a.vbs", ToBytes(kLetters + "TASK" + std::string(3, '\0') + "KILL"))),
            "hit MAL.SCRIPT.VBS") << "NUL characters are removed before the search";
}

TEST(ScriptCheck, CharacterStatistic) {
  EXPECT_EQ(Describe(Script("a.bat", ToBytes("1234 5678 90"))), "hit MAL.SCRIPT.BAT");
  EXPECT_EQ(Describe(Script("a.bat", ToBytes("12ab"))), "miss") << "equal counts";
  EXPECT_EQ(Describe(Script("a.bat", ToBytes("123ab"))), "hit MAL.SCRIPT.BAT");
  EXPECT_EQ(Describe(Script("a.bat", ToBytes(std::string("12\0\0\0a", 6)))), "hit MAL.SCRIPT.BAT")
      << "NULs are not counted";
  EXPECT_EQ(Describe(Script("a.bat", ToBytes(":;<ab"))), "miss") << "58 and up are outside the range";
  EXPECT_EQ(Describe(Script("a.bat", {})), "miss") << "empty text";
}

TEST(ScriptCheck, LargeScriptsContributeTwoBlocks) {
  const std::size_t size = 600000;
  const auto build = [&](std::size_t at, const std::string& marker) {
    ByteVec bytes(size, 'z');
    Place(bytes, at, marker);
    return bytes;
  };
  const std::size_t secondBlock = size - 256000 - 1;  // 0-based offset of 1-based size - 256000
  EXPECT_EQ(Describe(Script("a.vbs", build(0, "TASKKILL"))), "hit MAL.SCRIPT.VBS");
  EXPECT_EQ(Describe(Script("a.vbs", build(4492, "TASKKILL"))), "hit MAL.SCRIPT.VBS");
  EXPECT_EQ(Describe(Script("a.vbs", build(4493, "TASKKILL"))), "miss");
  EXPECT_EQ(Describe(Script("a.vbs", build(secondBlock, "TASKKILL"))), "hit MAL.SCRIPT.VBS");
  EXPECT_EQ(Describe(Script("a.vbs", build(secondBlock - 1, "TASKKILL"))), "miss");
  EXPECT_EQ(Describe(Script("a.vbs", build(secondBlock + 4492, "TASKKILL"))), "hit MAL.SCRIPT.VBS");
  EXPECT_EQ(Describe(Script("a.vbs", build(secondBlock + 4493, "TASKKILL"))), "miss");
  EXPECT_EQ(Describe(Script("a.vbs", build(300000, "TASKKILL"))), "miss");
  // The blocks join into one text: a marker may span the join.
  ByteVec joined(size, 'z');
  Place(joined, 4496, "TASK");
  Place(joined, secondBlock, "KILL");
  EXPECT_EQ(Describe(Script("a.vbs", joined)), "hit MAL.SCRIPT.VBS");
  // 512000 bytes are still read whole.
  ByteVec whole(512000, 'z');
  Place(whole, 300000, "TASKKILL");
  EXPECT_EQ(Describe(Script("a.vbs", whole)), "hit MAL.SCRIPT.VBS");
}

TEST(TestFileCheck, ExtensionAndSizeLimit) {
  const auto run = [](const std::string& path, const ByteVec& bytes) {
    return Describe(RunOn([](FileView& v) { return checks::TestFileCheck(v); }, path, bytes));
  };
  const std::string eicar(checks::kEicarTestString);
  EXPECT_EQ(run("eicar.com", ToBytes(eicar)), "hit EICAR-AV-TEST");
  EXPECT_EQ(run("eicar.txt", ToBytes(eicar)), "miss");
  ByteVec limit(10240, ' ');
  Place(limit, 10240 - eicar.size(), eicar);
  EXPECT_EQ(run("e.com", limit), "hit EICAR-AV-TEST");
  limit.push_back(' ');
  EXPECT_EQ(run("e.com", limit), "miss") << "10241 bytes";
  EXPECT_EQ(run("e.com", ToBytes("X5O!P%@AP[4\\PZX54(P^)7CC)7}$eicar-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*")), "miss");
}

class ScriptInfector : public ::testing::Test {
 protected:
  TempDir dir;
  ByteVec Infected(std::size_t size) {
    ByteVec bytes(size, 'h');
    Place(bytes, size - 5000, checks::kEncodedScriptHead);
    return bytes;
  }
  std::string Run(const std::string& name, const ByteVec& bytes, bool heal = true) {
    WriteFile(dir / name, bytes);
    FileView view = FileView::Open(dir / name);
    return Describe(checks::ScriptInfectorCheck(view, heal));
  }
};

TEST_F(ScriptInfector, HtmlIsCutAndHealed) {
  const ByteVec original = Infected(20000);
  for (const char* name : {"page.html", "page.HTM"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Run(name, original), "hit VBS.ALICE.A [HEALED]");
    ByteVec expected(original.begin(), original.begin() + 11724);
    expected.push_back('\r');
    expected.push_back('\n');
    EXPECT_EQ(ReadFile(dir / name), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / (std::string(name) + ".kestro-heal.tmp")));
  }
}

TEST_F(ScriptInfector, VbeIsReportedAndLeftUnchanged) {
  const ByteVec original = Infected(20000);
  EXPECT_EQ(Run("s.vbe", original), "hit VBS.ALICE.A");
  EXPECT_EQ(ReadFile(dir / "s.vbe"), original);
}

TEST_F(ScriptInfector, ShortFilesAreNotCutToNothing) {
  ByteVec small(8276, 'h');
  Place(small, 10, checks::kEncodedScriptHead);
  EXPECT_EQ(Run("p.html", small), "hit VBS.ALICE.A");
  EXPECT_EQ(ReadFile(dir / "p.html"), small);
  small.push_back('h');
  EXPECT_EQ(Run("q.html", small), "hit VBS.ALICE.A [HEALED]");
  EXPECT_EQ(ReadFile(dir / "q.html"), ToBytes("h\r\n"));
}

TEST_F(ScriptInfector, WithoutHealingNothingChangesAndOtherFilesAreNotTested) {
  const ByteVec original = Infected(20000);
  EXPECT_EQ(Run("n.html", original, false), "hit VBS.ALICE.A");
  EXPECT_EQ(ReadFile(dir / "n.html"), original);
  EXPECT_EQ(Run("n.txt", original), "miss");
  EXPECT_EQ(Run("n.vbs", original), "miss");
  ByteVec altered = original;
  altered[20000 - 5000] = '$';
  EXPECT_EQ(Run("m.html", altered), "miss");
}

TEST(AutorunCheck, MarkersSizeAndName) {
  const auto run = [](const std::string& path, const std::string& text) {
    return Describe(RunOn([](FileView& v) { return checks::AutorunCheck(v); }, path, ToBytes(text)));
  };
  struct Case { const char* text; const char* expected; };
  const Case cases[] = {
      {"[autorun]\r\nshellexecute=x.exe", "hit [ARRS] AUT"},
      {"[autorun]\r\nopen=x.pif", "hit [ARRS] AUT"},
      {"[autorun]\r\nopen=x.bat", "hit [ARRS] AUT"},
      {"[autorun]\r\nx\\open\\command=x", "hit [ARRS] AUT"},
      {"[autorun]\r\nx\\explore\\command=x", "hit [ARRS] AUT"},
      {"wscript.exe x.vbs", "hit [ARRS] AUT"},
      {"[autorun]\r\nopen=x.exe", "miss"},
      {"[AUTORUN]\r\nshellexecute=x.exe", "miss"},
      {"[AUTORUN]\r\nopen=wscript.exe x", "hit [ARRS] AUT"},
      {"[autorun]\r\nShell=x", "miss"},
  };
  for (const Case& c : cases) EXPECT_EQ(run("D:\\autorun.inf", c.text), c.expected) << c.text;
  EXPECT_EQ(run("/media/Autorun/readme.txt", "wscript.exe"), "hit [ARRS] REA");
  EXPECT_EQ(run("/media/a.autorun", "wscript.exe"), "hit [ARRS] A");
  // The first three characters, upper-cased as letters: never a split character.
  EXPECT_EQ(run("/media/über autorun.inf", "wscript.exe"), "hit [ARRS] ÜBE");
  EXPECT_EQ(run("/media/ü.autorun", "wscript.exe"), "hit [ARRS] Ü");
  EXPECT_EQ(run("/media/x/readme.txt", "wscript.exe"), "miss");
  EXPECT_EQ(run("autorun.inf", std::string("[autorun]") + '\0' + "shell"), "hit [ARRS] AUT")
      << "NUL characters are removed";

  std::string limit = "wscript.exe";
  limit.resize(61440, ' ');
  EXPECT_EQ(run("autorun.inf", limit), "hit [ARRS] AUT");
  limit.push_back(' ');
  EXPECT_EQ(run("autorun.inf", limit), "miss") << "61441 bytes";
  EXPECT_EQ(run("autorun.inf", "[autorun]"), "miss") << "9 bytes";
}

}  // namespace
}  // namespace kestro::test
