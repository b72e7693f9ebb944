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

}  // namespace
}  // namespace kestro::sigdb
