#include "sigdb/signature_list.hpp"

#include <gtest/gtest.h>

namespace kestro::sigdb {
namespace {

TEST(SignatureList, OneBasedFileOrderDuplicatesKeptFirstEqualWins) {
  SignatureList list;
  list.Append("W32.First", "ABC");
  list.Append("W32.Second", "DEF");
  list.Append("W32.Again", "ABC");
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.Name(1), "W32.First");
  EXPECT_EQ(list.Signature(3), "ABC");
  EXPECT_EQ(list.Find("ABC"), 1u);
  EXPECT_EQ(list.NameOf("ABC"), "W32.First");
  EXPECT_EQ(list.Find("DEF"), 2u);
  EXPECT_EQ(list.Find("abc"), 0u);  // case-sensitive
  EXPECT_EQ(list.Find(""), 0u);
  EXPECT_EQ(list.NameOf("XYZ"), "");
  list.Append("Empty.Entry", "");
  EXPECT_EQ(list.Find(""), 4u);  // an empty signature is an entry like any other
}

TEST(SignatureList, IndexAnswersTheFirstEntryThroughGrowthAndCopies) {
  SignatureList list;
  // Every text three times, interleaved, across many index growths.
  constexpr std::size_t kTexts = 20000;
  for (std::size_t round = 0; round < 3; ++round) {
    for (std::size_t i = 0; i < kTexts; ++i) list.Append("R" + std::to_string(round), "S" + std::to_string(i));
  }
  const SignatureList copy = list;
  SignatureList moved = SignatureList(list);
  for (std::size_t i = 0; i < kTexts; ++i) {
    const std::string text = "S" + std::to_string(i);
    ASSERT_EQ(list.Find(text), i + 1) << text;
    ASSERT_EQ(copy.Find(text), i + 1) << text;
    ASSERT_EQ(moved.NameOf(text), "R0") << text;
  }
  EXPECT_EQ(list.Find("S" + std::to_string(kTexts)), 0u);
  list.Clear();
  EXPECT_EQ(list.Find("S1"), 0u);
  list.Reserve(10);
  list.Append("A", "S1");
  EXPECT_EQ(list.Find("S1"), 1u);
}

}  // namespace
}  // namespace kestro::sigdb
