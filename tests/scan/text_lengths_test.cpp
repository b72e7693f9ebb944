// Lengths that the product counts in characters: UTF-8 text, the scan-path and
// archive-member labels and the log's columns. A cut never splits a character.
#include <gtest/gtest.h>

#include "io/utf8_text.hpp"
#include "log/scan_log.hpp"
#include "scan/scan_texts.hpp"

namespace kestro {
namespace {

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(Utf8Text, CountsCutsAndRepairsCharacters) {
  EXPECT_EQ(io::Utf8Length("über"), 4u);
  EXPECT_EQ(io::Utf8Length("a\xFF\xFE" "b"), 4u);  // an invalid byte counts as one
  EXPECT_EQ(io::Utf8Head("über", 2), "üb");
  EXPECT_EQ(io::Utf8Tail("straße.exe", 6), "ße.exe");
  EXPECT_EQ(io::Utf8Tail("ab", 5), "ab");
  EXPECT_EQ(io::Utf8Offset("üb", 1), 2u);
  EXPECT_EQ(io::Utf8Offset("üb", 9), 3u);
  EXPECT_TRUE(io::IsValidUtf8("über Ωmega 😀"));
  const std::pair<std::string_view, std::string_view> repairs[] = {
      {"\xFF\xFE" "ab", "\uFFFD\uFFFD" "ab"},
      {"\xC0\xAF", "\uFFFD\uFFFD"},              // overlong form
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},    // a surrogate
      {"a\xE2\x82", "a\uFFFD\uFFFD"},            // cut short
      {"plain", "plain"},
  };
  for (const auto& [in, out] : repairs) {
    EXPECT_FALSE(in != out && io::IsValidUtf8(in)) << in;
    EXPECT_EQ(io::Utf8Repaired(in), out);
  }
}

TEST(Utf8Text, UpperCaseCoversTheAnsiAlphabets) {
  EXPECT_EQ(io::Utf8Upper("über"), "ÜBER");
  EXPECT_EQ(io::Utf8Upper("çãéÿ"), "ÇÃÉŸ");
  EXPECT_EQ(io::Utf8Upper("łźżąıi"), "ŁŹŻĄII");
  EXPECT_EQ(io::Utf8Upper("αβςώ"), "ΑΒΣΏ");
  EXPECT_EQ(io::Utf8Upper("жёлтый"), "ЖЁЛТЫЙ");
  EXPECT_EQ(io::Utf8Upper("ß 1 ÷ \xFF"), "ß 1 ÷ \xFF");  // no single upper case, digits, invalid bytes
}

TEST(TextLengths, ScanPathLabelCountsCharacters) {
  // 14 + 26 = 40 characters (but 66 bytes): shown whole.
  const std::string name26 = Repeat("ü", 26);
  EXPECT_EQ(scan::ShortenScanPath("C:\\abcdefghij\\", name26, '\\'), "C:\\abcdefghij\\" + name26);
  // Longer: the name keeps its last 15 characters, whole ones.
  const std::string name40 = Repeat("ü", 36) + ".exe";
  EXPECT_EQ(scan::ShortenScanPath("C:\\ü\\", name40, '\\'), "C:\\ü\\...\\..." + Repeat("ü", 11) + ".exe");
  // A name of 19 characters is shown whole after the folder's head.
  const std::string name19 = Repeat("ä", 15) + ".exe";
  EXPECT_EQ(scan::ShortenScanPath("C:\\Überweisungen\\2013\\März\\", name19, '\\'), "C:\\Überweisungen\\...\\" + name19);
}

TEST(TextLengths, MemberLabelAndLogColumnsCountCharacters) {
  const std::string member40 = "ordner\\" + Repeat("ö", 29) + ".exe";  // 40 characters
  EXPECT_FALSE(scan::IsLongMemberName(member40));
  EXPECT_EQ(scan::ShortenMemberName(member40), member40);
  EXPECT_TRUE(scan::IsLongMemberName(member40 + "x"));

  EXPECT_EQ(log::ColumnLine("Wörm.Ä", "C:\\x.exe"), "Wörm.Ä" + std::string(19, ' ') + "C:\\x.exe");
  EXPECT_EQ(log::RestoreLine("über.exe", "D:\\r\\"),
            "* Restore" + std::string(16, ' ') + "über.exe" + std::string(15, ' ') + "-->" + std::string(10, ' ') +
                "D:\\r\\über.exe");
}

}  // namespace
}  // namespace kestro
