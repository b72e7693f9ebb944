// The database tool's side: refusals of the writer and the source text reader.
#include <gtest/gtest.h>

#include "sigdb/database_writer.hpp"

namespace kestro::sigdb {
namespace {

const Date kDate{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{9}};

std::vector<SignatureRecord> Numbered(std::size_t count) {
  std::vector<SignatureRecord> records;
  for (std::size_t i = 0; i < count; ++i) records.push_back({"N" + std::to_string(i), std::to_string(i)});
  return records;
}

TEST(DatabaseWriter, RefusesRecordsThatCannotLoadBack) {
  const std::vector<std::pair<SignatureRecord, std::string>> cases = {
      {{"", "1"}, "name is empty"},
      {{"A", ""}, "signature is empty"},
      {{"A;B", "1"}, "name contains ';'"},
      {{"A", "1;2"}, "signature contains ';'"},
      {{"A\r", "1"}, "name contains a line break"},
      {{"A", "1\n"}, "signature contains a line break"},
  };
  for (const auto& [record, problem] : cases) {
    EXPECT_EQ(RecordProblem(record), problem);
    const std::vector<SignatureRecord> records{{"Good", "1"}, record};
    const BuildOutcome built = BuildDatabase(DatabaseKind::SectionHead, {}, records);
    EXPECT_TRUE(built.bytes.empty());
    EXPECT_NE(built.error.find("record 2"), std::string::npos) << built.error;
    EXPECT_NE(built.error.find(problem), std::string::npos) << built.error;
  }
}

TEST(DatabaseWriter, RecordCountLimitCountsHeaderAndFinalLineEnd) {
  EXPECT_EQ(MaxRecordCount(DatabaseKind::FileChecksum), 32765u);
  EXPECT_EQ(MaxRecordCount(DatabaseKind::SectionHead), 32767u);
  EXPECT_EQ(MaxRecordCount(DatabaseKind::Icon), 32767u);
  for (const auto kind : {DatabaseKind::FileChecksum, DatabaseKind::SectionHead}) {
    EXPECT_EQ(BuildDatabase(kind, {"v", kDate}, Numbered(MaxRecordCount(kind))).error, "");
    const BuildOutcome over = BuildDatabase(kind, {"v", kDate}, Numbered(MaxRecordCount(kind) + 1));
    EXPECT_TRUE(over.bytes.empty());
    EXPECT_NE(over.error.find("at most " + std::to_string(MaxRecordCount(kind))), std::string::npos) << over.error;
  }
}

TEST(DatabaseWriter, SourceText) {
  const SourceOutcome ok = ParseSourceText(
      "\xEF\xBB\xBF# comment\r\n"
      "Test.Sample.A;F4961D90\r\n"
      "\n"
      "   \t\n"
      "Name with spaces;abc\n"
      "#Test.Hidden;1\n"
      "Last;9");
  EXPECT_EQ(ok.error, "");
  EXPECT_EQ(ok.records, (std::vector<SignatureRecord>{
                            {"Test.Sample.A", "F4961D90"}, {"Name with spaces", "abc"}, {"Last", "9"}}));
  EXPECT_TRUE(ParseSourceText("").records.empty());

  const std::vector<std::pair<std::string, std::string>> bad = {
      {"A;1\nno separator\n", "line 2: no ';'"},
      {"A;1\r\n\r\nB;2;3\r\n", "line 3: signature contains ';'"},
      {";1\n", "line 1: name is empty"},
      {"A;\n", "line 1: signature is empty"},
      {"A;1\rB\n", "line 1: signature contains a line break"},
  };
  for (const auto& [text, error] : bad) {
    const SourceOutcome outcome = ParseSourceText(text);
    EXPECT_EQ(outcome.error.substr(0, error.size()), error) << outcome.error;
  }
}

}  // namespace
}  // namespace kestro::sigdb
