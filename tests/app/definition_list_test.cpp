#include "app/definition_list.hpp"

#include <gtest/gtest.h>

namespace kestro::app {
namespace {

TEST(DefinitionList, ChecksumNamesThenIconNamesThenSectionHeadNames) {
  sigdb::SignatureLists lists;
  lists.fileChecksums.Append("Worm.A", "1");
  lists.fileChecksums.Append("Worm.A", "2");  // duplicates stay
  lists.sectionHeads.Append("Virus.Head", "AB");
  lists.icons.Append("Trojan.Icon", "99");
  std::vector<std::string> names;
  for (const auto* name : DefinitionNames(lists)) names.push_back(*name);
  EXPECT_EQ(names, (std::vector<std::string>{"Worm.A", "Worm.A", "Trojan.Icon", "Virus.Head"}));
  EXPECT_TRUE(DefinitionNames(sigdb::SignatureLists{}).empty());
}

}  // namespace
}  // namespace kestro::app
