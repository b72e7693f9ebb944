#include "io/mdl_pe.hpp"

#include <gtest/gtest.h>

#include "io/hex_text.hpp"
#include "tests/support/pe_builder.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::checks {
namespace {

test::PeImage TwoSectionImage() {
  test::PeImage image;
  image.stub = {'R', 'i', 'c', 'h', 0, 0, 0, 0};
  image.sections.push_back({.name = ".text", .raw = std::vector<std::uint8_t>(64, 0x90)});
  image.sections.push_back({.name = ".kestro",
                            .characteristics = 0xE0000020u,
                            .raw = {0x60, 0xE8, 0x00, 0x00, 0x00, 0x00, 0x5D, 0x81, 0xED, 0x11, 0x22}});
  return image;
}

std::int32_t Probe(const std::vector<std::uint8_t>& bytes) {
  MemoryReader reader(bytes);
  return mdlPE::ProbePE(reader);
}

std::string Head(const std::vector<std::uint8_t>& bytes) {
  MemoryReader reader(bytes);
  const std::int32_t lfanew = mdlPE::ProbePE(reader);
  return lfanew == 0 ? "<not PE>" : mdlPE::LastSectionHeadText(reader, lfanew);
}

TEST(PeProbe, AcceptsA32BitImageAndGivesItsHeaderOffset) {
  const auto bytes = TwoSectionImage().Build();
  EXPECT_EQ(Probe(bytes), 72);  // 64 + 8 stub bytes
  EXPECT_EQ(Head(bytes), "60E8000000005D81ED");
}

TEST(PeProbe, Refusals) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  auto image = [](auto change) {
    test::PeImage i = TwoSectionImage();
    change(i);
    return i.Build();
  };
  auto truncated = [](std::vector<std::uint8_t> b, std::size_t n) {
    b.resize(n);
    return b;
  };
  const auto good = TwoSectionImage().Build();
  auto noMz = good;
  noMz[0] = 'Z';
  const Case cases[] = {
      {"empty", {}},
      {"shorter than the DOS header", truncated(good, 63)},
      {"no MZ", noMz},
      {"PE signature low half differs", image([](auto& i) { i.signature = 0x00004551; })},
      {"NE signature", image([](auto& i) { i.signature = 0x0000454E; })},
      {"no 32-bit machine bit", image([](auto& i) { i.characteristics = 0x0002; })},
      {"e_lfanew past the end", image([](auto& i) { i.eLfanew = 0x7FFFFF00; })},
      {"e_lfanew at the very top", image([](auto& i) { i.eLfanew = 0x7FFFFFFF; })},
      {"e_lfanew negative", image([](auto& i) { i.eLfanew = -8; })},
      {"e_lfanew zero (points at MZ)", image([](auto& i) { i.eLfanew = 0; })},
      {"file ends inside the file header", truncated(good, 72 + 4 + 10)},
  };
  for (const Case& c : cases) EXPECT_EQ(Probe(c.bytes), 0) << c.what;
  // Only the low 16 bits of the signature count.
  EXPECT_NE(Probe(image([](auto& i) { i.signature = 0xABCD4550u; })), 0);
}

TEST(LastSectionHead, MalformedTablesGiveNoText) {
  struct Case {
    const char* what;
    test::PeImage image;
    std::string expected;
  };
  auto with = [](auto change) {
    test::PeImage i = TwoSectionImage();
    change(i);
    return i;
  };
  const Case cases[] = {
      {"zero sections", with([](auto& i) { i.numberOfSections = 0; }), ""},
      {"negative section count", with([](auto& i) { i.numberOfSections = -1; }), ""},
      {"huge section count: table past the end", with([](auto& i) { i.numberOfSections = 0x7FFF; }), ""},
      {"raw pointer past the end", with([](auto& i) { i.sections[1].pointerToRawData = 0x00100000; }), ""},
      {"raw pointer negative", with([](auto& i) { i.sections[1].pointerToRawData = 0x80000000u; }), ""},
      {"one section counted: the first is last",
       with([](auto& i) { i.numberOfSections = 1; }), "909090909090909090"},
      {"raw data cut by the end of file",
       with([](auto& i) {
         i.sections[1].raw = {0xAA, 0xBB};
         i.sections[1].sizeOfRawData = 2;
         i.fileAlignment = 1;
       }),
       "AABB"},
  };
  for (const Case& c : cases) EXPECT_EQ(Head(c.image.Build()), c.expected) << c.what;
}

TEST(SectionName, DotsRemovedAndNulsKept) {
  struct Case {
    std::string_view name;  // 8 bytes
    std::string_view text;
  };
  using namespace std::string_view_literals;
  const Case cases[] = {
      {".text\0\0\0"sv, "text\0\0\0"sv},
      {"a.b.c\0\0\0"sv, "abc\0\0\0"sv},
      {"UPX0\0\0\0\0"sv, "UPX0\0\0\0\0"sv},
      {"........"sv, ""sv},
      {"12345678"sv, "12345678"sv},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> bytes(c.name.begin(), c.name.end());
    EXPECT_EQ(mdlPE::SectionNameText(bytes), c.text);
  }
}

TEST(HexText, NumbersAndBytes) {
  EXPECT_EQ(HexOfNumber(static_cast<std::int32_t>(0xE0000020u)), "E0000020");
  EXPECT_EQ(HexOfNumber(0x3000), "3000");
  EXPECT_EQ(HexOfNumber(0), "0");
  EXPECT_EQ(HexOfNumber(-1), "FFFFFFFF");
  EXPECT_EQ(HexText(std::string_view("\x00\x0F\xA0\xFF", 4)), "000FA0FF");
  EXPECT_EQ(HexText(""), "");
}

TEST(PeProbe, WorksOnAnOpenFile) {
  test::TempDir dir;
  test::WriteFile(dir / "app.exe", TwoSectionImage().Build());
  const std::int32_t h = mdlPE::OpenForChecking(dir / "app.exe");
  ASSERT_GT(h, 0);
  const std::int32_t lfanew = mdlPE::ProbePE(h);
  EXPECT_EQ(lfanew, 72);
  EXPECT_EQ(mdlPE::LastSectionHeadText(h, lfanew), "60E8000000005D81ED");
  EXPECT_GT(mdlPE::SizeOf(h), 0);
  EXPECT_NE(mdlPE::CloseFile(h), 0);
}

}  // namespace
}  // namespace kestro::checks
