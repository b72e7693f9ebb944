// Loading database files: round trips through the writer, and every failure rule.
#include <gtest/gtest.h>

#include "sigdb/database_loader.hpp"
#include "sigdb/database_writer.hpp"
#include "tests/sigdb/sigdb_test_util.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::sigdb {
namespace {

using test::Enciphered;
using test::HeaderLine;
using test::JoinLines;
using test::RecordLine;

const Date kDate{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{9}};

std::vector<SignatureRecord> ListRecords(const SignatureList& list) {
  std::vector<SignatureRecord> records;
  for (std::size_t k = 1; k <= list.Count(); ++k) records.push_back({list.Name(k), list.Signature(k)});
  return records;
}

std::vector<SignatureRecord> Numbered(std::size_t count) {
  std::vector<SignatureRecord> records;
  for (std::size_t i = 0; i < count; ++i) records.push_back({"Test.N" + std::to_string(i), std::to_string(i * 7919)});
  return records;
}

struct Loaded {
  LoadOutcome outcome;
  SignatureList list;
  DatabaseValues values;
};

Loaded LoadText(std::string_view plain, DatabaseKind kind) {
  Loaded l;
  l.outcome = LoadDatabaseBytes(Enciphered(plain), kind, l.list, l.values);
  return l;
}

TEST(DatabaseLoader, BuildThenLoadGivesTheSameRecords) {
  const std::vector<std::pair<std::string, std::vector<SignatureRecord>>> sets = {
      {"empty", {}},
      {"one", {{"Test.Sample.A", "F4961D90"}}},
      {"spaces and lower case", {{"Test Sample with spaces", "abc DEF"}, {"  lead", "trail  "}}},
      {"duplicates", {{"First", "AB12"}, {"Second", "AB12"}, {"First", "AB12"}}},
      {"every byte but ; CR LF",
       {{std::string("\x01\x7F\x80\xFF\tname\0x", 11), std::string("\0sig\xE9", 5)}}},
  };
  for (const auto kind : {DatabaseKind::FileChecksum, DatabaseKind::SectionHead, DatabaseKind::Icon}) {
    for (const auto& [label, records] : sets) {
      const BuildOutcome built = BuildDatabase(kind, {"4.2.1 test", kDate}, records);
      ASSERT_EQ(built.error, "") << label;
      SignatureList list;
      DatabaseValues values;
      const LoadOutcome outcome = LoadDatabaseBytes(built.bytes, kind, list, values);
      EXPECT_EQ(outcome.status, LoadStatus::Loaded) << label;
      EXPECT_EQ(outcome.stop, LoadStop::FinalLineEnd) << label;
      EXPECT_EQ(ListRecords(list), records) << label << ", kind " << static_cast<int>(kind);
      if (kind == DatabaseKind::FileChecksum) {
        EXPECT_EQ(values.DatabaseVersion, "4.2.1 test") << label;
        EXPECT_EQ(values.DatabaseDate, kDate) << label;
      } else {
        EXPECT_EQ(values.DatabaseVersion, "");
        EXPECT_FALSE(values.DatabaseDate);
      }
    }
  }
}

TEST(DatabaseLoader, MaximumRecordCountRoundTrips) {
  for (const auto kind : {DatabaseKind::FileChecksum, DatabaseKind::Icon}) {
    const auto records = Numbered(MaxRecordCount(kind));
    const BuildOutcome built = BuildDatabase(kind, {"v", kDate}, records);
    ASSERT_EQ(built.error, "");
    SignatureList list;
    DatabaseValues values;
    const LoadOutcome outcome = LoadDatabaseBytes(built.bytes, kind, list, values);
    EXPECT_EQ(outcome.lines, kMaxDatabaseLines);
    EXPECT_EQ(ListRecords(list), records);
    EXPECT_LT(list.Count(), 32768u);
    EXPECT_EQ(list.Find(records.back().signature), records.size());
  }
}

TEST(DatabaseLoader, KnownBytesOfATinyFile) {
  // Pins the format: "a;b" needs no substitution, hex "613B62", CR LF, enciphered.
  const BuildOutcome built = BuildDatabase(DatabaseKind::SectionHead, {}, std::vector<SignatureRecord>{{"a", "b"}});
  EXPECT_EQ(built.bytes, Enciphered("613B62\r\n"));
}

TEST(DatabaseLoader, RecordLineRules) {
  struct Case {
    std::string label;
    std::vector<std::string> lines;
    std::vector<SignatureRecord> records;
    LoadStop stop;
  };
  const std::vector<Case> cases = {
      {"empty line ends loading, earlier records stay",
       {RecordLine("A;1"), RecordLine("B;2"), "", RecordLine("C;3")}, {{"A", "1"}, {"B", "2"}}, LoadStop::BadRecord},
      {"line without ';' ends loading",
       {RecordLine("A;1"), RecordLine("no separator"), RecordLine("C;3")}, {{"A", "1"}}, LoadStop::BadRecord},
      {"line of blanks only is empty", {RecordLine("A;1"), "   ", RecordLine("C;3")}, {{"A", "1"}}, LoadStop::BadRecord},
      {"several ';' keep the first two fields", {RecordLine("A;1;extra;more"), RecordLine("B;;x")},
       {{"A", "1"}, {"B", ""}}, LoadStop::EndOfFile},
      {"empty name and signature are kept", {RecordLine(";")}, {{"", ""}}, LoadStop::EndOfFile},
      {"blanks anywhere are removed", {" 4 1 3B 3 1 "}, {{"J", "1"}}, LoadStop::EndOfFile},
      {"lower-case hex digits", {"6a3b4a"}, {{"j", "H"}}, LoadStop::EndOfFile},
      {"final CR LF is a normal end", {RecordLine("A;1"), ""}, {{"A", "1"}}, LoadStop::FinalLineEnd},
      {"empty file", {""}, {}, LoadStop::FinalLineEnd},
  };
  for (const auto& c : cases) {
    const Loaded l = LoadText(JoinLines(c.lines), DatabaseKind::SectionHead);
    EXPECT_EQ(l.outcome.status, LoadStatus::Loaded) << c.label;
    EXPECT_EQ(ListRecords(l.list), c.records) << c.label;
    EXPECT_EQ(l.outcome.stop, c.stop) << c.label;
    EXPECT_EQ(l.outcome.records, c.records.size()) << c.label;
  }
}

TEST(DatabaseLoader, NulCharactersOfTheFileTextAreDropped) {
  std::string plain = RecordLine("A;1");
  plain.insert(2, std::string(3, '\0'));
  plain += std::string("\r\0\n", 3) + RecordLine("B;2");
  const Loaded l = LoadText(plain, DatabaseKind::Icon);
  EXPECT_EQ(ListRecords(l.list), (std::vector<SignatureRecord>{{"A", "1"}, {"B", "2"}}));
}

TEST(DatabaseLoader, LineLimit) {
  // 32,768 lines load; 32,769 load nothing at all.
  std::vector<std::string> lines(kMaxDatabaseLines, RecordLine("Same;1"));
  Loaded l = LoadText(JoinLines(lines), DatabaseKind::SectionHead);
  EXPECT_EQ(l.outcome.status, LoadStatus::Loaded);
  EXPECT_EQ(l.list.Count(), kMaxDatabaseLines);
  EXPECT_EQ(l.list.Find("1"), 1u);

  lines.push_back("");  // a final CR LF makes the 32,769th line
  l = LoadText(JoinLines(lines), DatabaseKind::SectionHead);
  EXPECT_EQ(l.outcome.status, LoadStatus::TooManyLines);
  EXPECT_EQ(l.list.Count(), 0u);

  std::vector<std::string> withHeader{HeaderLine("v"), HeaderLine("09-Dec-26")};
  withHeader.insert(withHeader.end(), kMaxDatabaseLines - 1, RecordLine("Same;1"));
  l = LoadText(JoinLines(withHeader), DatabaseKind::FileChecksum);
  EXPECT_EQ(l.outcome.status, LoadStatus::TooManyLines);
  EXPECT_EQ(l.values.DatabaseVersion, "");
  EXPECT_FALSE(l.values.DatabaseDate);
}

TEST(DatabaseLoader, HeaderRules) {
  // A date that does not parse ends loading before the first record; the date stays unset.
  Loaded l = LoadText(JoinLines({HeaderLine("v1"), HeaderLine("31-Feb-26"), RecordLine("A;1")}),
                      DatabaseKind::FileChecksum);
  EXPECT_EQ(l.outcome.stop, LoadStop::BadHeaderDate);
  EXPECT_EQ(l.list.Count(), 0u);
  EXPECT_FALSE(l.values.DatabaseDate);

  // Header only, no final CR LF: no record, so the header is never taken.
  l = LoadText(JoinLines({HeaderLine("v1"), HeaderLine("09-Dec-26")}), DatabaseKind::FileChecksum);
  EXPECT_EQ(l.list.Count(), 0u);
  EXPECT_EQ(l.values.DatabaseVersion, "");
  EXPECT_FALSE(l.values.DatabaseDate);
  EXPECT_TRUE(DatabaseAgeRule(l.values, kDate));

  // Header lines may carry blanks and lower-case digits; they get no substitution.
  l = LoadText(JoinLines({"41 42 2e 31", HeaderLine("9-dec-2026"), RecordLine("A;1")}), DatabaseKind::FileChecksum);
  EXPECT_EQ(l.values.DatabaseVersion, "AB.1");
  EXPECT_EQ(l.values.DatabaseDate, kDate);
  EXPECT_EQ(l.list.Count(), 1u);

  // The header of a file of another kind is just a record line.
  l = LoadText(JoinLines({HeaderLine("v1"), RecordLine("A;1")}), DatabaseKind::Icon);
  EXPECT_EQ(l.list.Count(), 0u);
  EXPECT_EQ(l.outcome.stop, LoadStop::BadRecord);
}

TEST(DatabaseLoader, FilesMissingFolderAndAllThree) {
  kestro::test::TempDir dir;
  SignatureLists lists;
  DatabaseValues values;
  EXPECT_EQ(LoadDatabaseFile(dir / "DB_0x.avn", DatabaseKind::FileChecksum, lists.fileChecksums, values).status,
            LoadStatus::Missing);
  std::filesystem::create_directory(dir / "DB_1x.avn");
  EXPECT_EQ(LoadDatabaseFile(dir / "DB_1x.avn", DatabaseKind::SectionHead, lists.sectionHeads, values).status,
            LoadStatus::Missing);
  std::filesystem::remove(dir / "DB_1x.avn");

  const auto write = [&](DatabaseKind kind, std::vector<SignatureRecord> records) {
    const BuildOutcome built = BuildDatabase(kind, {"2026.12.09", kDate}, records);
    kestro::test::WriteFile(dir / std::string(DatabaseFileName(kind)), built.bytes);
  };
  write(DatabaseKind::FileChecksum, {{"Test.Sample.A", "F4961D90"}, {"Test.Dup", "F4961D90"}});
  write(DatabaseKind::Icon, {{"Icon.A", "123"}});
  // DB_1x.avn is missing: the first two files load, then the missing one is named.
  LoadAllOutcome all = LoadDatabases(dir.path(), lists, values);
  EXPECT_EQ(all.status, LoadStatus::Missing);
  EXPECT_EQ(all.missingKind, DatabaseKind::SectionHead);
  EXPECT_EQ(lists.fileChecksums.NameOf("F4961D90"), "Test.Sample.A");
  EXPECT_EQ(lists.icons.Count(), 0u);

  write(DatabaseKind::SectionHead, {{"Head.A", "60E8000000005D81ED"}});
  lists = {};
  values = {};
  all = LoadDatabases(dir.path(), lists, values);
  EXPECT_EQ(all.status, LoadStatus::Loaded);
  EXPECT_EQ(lists.fileChecksums.Count(), 2u);
  EXPECT_EQ(lists.sectionHeads.NameOf("60E8000000005D81ED"), "Head.A");
  EXPECT_EQ(lists.icons.NameOf("123"), "Icon.A");
  EXPECT_EQ(values.DatabaseVersion, "2026.12.09");
  EXPECT_EQ(values.DatabaseDate, kDate);

  // An empty file exists: nothing loads, and it is not reported missing.
  kestro::test::WriteFile(dir / "DB_2x.avn", std::string_view());
  SignatureList list;
  EXPECT_EQ(LoadDatabaseFile(dir / "DB_2x.avn", DatabaseKind::Icon, list, values).status, LoadStatus::Loaded);
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(kDatabaseMissingMessage, "Virus database or signature file not found !\r\nKESTRO will be terminate now ...");
}

}  // namespace
}  // namespace kestro::sigdb
