// The PE check: section-head list, entry-point patterns and the ranked section
// heuristics, one case per rule plus the order-sensitive cases.
#include <gtest/gtest.h>

#include <map>

#include "checks/marker_matcher.hpp"
#include "checks/pe_checks.hpp"
#include "tests/checks/detection_test_util.hpp"
#include "tests/support/pe_builder.hpp"

namespace kestro::test {
namespace {

using checks::CheckResult;
using checks::FileView;
using checks::MarkerBytes;

class MapHeads final : public checks::SectionHeadLookup {
 public:
  std::map<std::string, std::string, std::less<>> entries;
  std::optional<std::string> NameOf(std::string_view head) const override {
    const auto it = entries.find(head);
    if (it == entries.end()) return std::nullopt;
    return it->second;
  }
};

std::string Heuristics(const PeImage& image, const std::string& path = "x.exe") {
  return Describe(RunOn([](FileView& v) { return checks::SectionHeuristics(v); }, path, image.Build()));
}
std::string FullPe(const PeImage& image, const std::string& path, const checks::SectionHeadLookup& heads) {
  return Describe(RunOn([&](FileView& v) { return checks::PeCheck(v, heads); }, path, image.Build()));
}

PeSection Section(std::string name, std::uint32_t characteristics, std::size_t rawSize = 0x200) {
  PeSection s;
  s.name = std::move(name);
  s.characteristics = characteristics;
  s.raw.assign(rawSize, 0xCC);
  return s;
}

// Two sections, entry point in the first; the last is what the rule looks at.
PeImage TwoSections(PeSection last, std::uint32_t firstCharacteristics = 0x60000020u) {
  PeImage image;
  image.sections = {Section(".text", firstCharacteristics), std::move(last)};
  image.entryPoint = image.SectionRva(0);
  return image;
}

TEST(SectionHeuristics, StepCRowsInOrder) {
  struct Case { const char* row; PeImage image; const char* expected; };
  auto withVa = [](PeSection s, std::uint32_t va) { s.virtualAddress = va; return s; };
  auto withVs = [](PeSection s, std::uint32_t vs) { s.virtualSize = vs; return s; };
  std::vector<Case> cases = {
      {"1", TwoSections(Section(".text", 0xE0000020u)), "hit HEUR[PE].RAMNIT"},
      {"1 case", TwoSections(Section(".Text", 0xE0000020u)), "miss"},
      {"2", TwoSections(Section(".debug", 0xE0000060u)), "hit HEUR[PE].RAMNIT.C"},
      {"3", TwoSections(Section(".idata", 0xE00000E0u)), "hit HEUR[PE].TROXA.B"},
      {"4", TwoSections(Section("nfoz", 0xE0000040u)), "hit HEUR[PE].KUKACCA"},
      {"4 near", TwoSections(Section("nfoz", 0xE0000020u)), "miss"},
      {"5", TwoSections(Section(".rsrc", 0xC0000000u)), "hit HEUR[PE].VITRO"},
      {"5 qcyrwal", TwoSections(Section("qcyrwal", 0xC0000000u)), "miss"},
      {"6", TwoSections(withVa(Section(".x", 0xE0000060u), 0x3000)), "hit HEUR[PE].GEN.RNK"},
      {"7", TwoSections(withVs(Section(".x", 0xE0000000u), 0x6000)), "hit HEUR[PE].VIRUT.CE"},
      {"8a", TwoSections(withVa(Section(".x", 0xE0000060u), 0x4000)), "hit HEUR[PE].VIRUT.H"},
      {"8b", TwoSections(withVs(Section(".x", 0x40000040u), 0x9000)), "hit HEUR[PE].VIRUT.H"},
      {"8c", TwoSections(withVs(Section(".x", 0x40000040u), 0xD000)), "hit HEUR[PE].VIRUT.H"},
      {"9", TwoSections(Section(".x", 0x40000040u), 0xE0000040u), "hit HEUR[PE].MABEZAT"},
      {"9 near", TwoSections(Section(".x", 0x40000040u), 0xE0000020u), "miss"},
      {"5 before 8", TwoSections(withVs(Section(".rsrc", 0xC0000000u), 0x9000)), "hit HEUR[PE].VITRO"},
  };
  for (const Case& c : cases) EXPECT_EQ(Heuristics(c.image), c.expected) << "row " << c.row;
}

TEST(SectionHeuristics, StepAEntryPointInTheLastOfThreeSections) {
  const auto image = [](std::uint32_t lastCharacteristics, std::size_t sections = 3) {
    PeImage i;
    for (std::size_t s = 0; s + 1 < sections; ++s) i.sections.push_back(Section(".s" + std::to_string(s), 0x60000020u));
    i.sections.push_back(Section(".rsrc", lastCharacteristics));
    i.entryPoint = i.SectionRva(sections - 1) + 4;
    return i;
  };
  EXPECT_EQ(Heuristics(image(0x60000020u)), "hit HEUR[PE].SUSP.2");
  EXPECT_EQ(Heuristics(image(0x40000020u)), "hit HEUR[PE].SUSP.1");
  EXPECT_EQ(Heuristics(image(0x60000000u)), "hit HEUR[PE].SUSP.1");
  // Neither bit ends the heuristics, although VITRO's rule would match.
  EXPECT_EQ(Heuristics(image(0xC0000000u)), "miss");
  // Two sections: step A is skipped and the later rules decide.
  EXPECT_EQ(Heuristics(image(0xC0000000u, 2)), "hit HEUR[PE].VITRO");
}

TEST(SectionHeuristics, StepBCodeInTheLastSection) {
  const auto withRaw = [](ByteVec raw, std::uint32_t characteristics = 0x60000020u) {
    PeSection s = Section(".z", characteristics);
    s.raw = std::move(raw);
    return TwoSections(s);
  };
  const ByteVec load = {0x8A, 0x44, 0x05, 0x00};
  ByteVec tanatos = load;
  tanatos.insert(tanatos.end(), {0x11, 0x30, 0x07});
  EXPECT_EQ(Heuristics(withRaw(tanatos)), "hit HEUR[PE].TANATOS.M");
  EXPECT_EQ(Heuristics(withRaw(tanatos, 0x40000020u)), "miss") << "not executable";
  ByteVec reversed = {0x30, 0x07, 0x8A, 0x44, 0x05, 0x00, 0x11};
  EXPECT_EQ(Heuristics(withRaw(reversed)), "miss");
  ByteVec overlapping = {0x8A, 0x44, 0x05, 0x30, 0x07, 0x00};
  EXPECT_EQ(Heuristics(withRaw(overlapping)), "miss") << "the pair must follow the four bytes";
  ByteVec many;
  for (int i = 0; i < 5000; ++i) many.insert(many.end(), load.begin(), load.end());
  many.insert(many.end(), {0x30, 0x07});
  EXPECT_EQ(Heuristics(withRaw(many)), "hit HEUR[PE].TANATOS.M");

  // Raw data pointing past the end ends the heuristics without a detection.
  PeImage outside = TwoSections(Section(".text", 0xE0000020u));
  outside.sections[1].pointerToRawData = 0x100000;
  EXPECT_EQ(Heuristics(outside), "miss");
}

TEST(SectionHeuristics, StepBSalityNames) {
  const auto three = [](std::string second, std::string last, std::uint32_t c = 0x60000020u) {
    PeImage i;
    i.sections = {Section(".text", 0x60000020u), Section(std::move(second), 0x40000040u), Section(std::move(last), c)};
    i.entryPoint = i.SectionRva(0);
    return i;
  };
  EXPECT_EQ(Heuristics(three(".rsrc", ".rsrcx")), "hit HEUR[PE].SALITY");
  EXPECT_EQ(Heuristics(three(".rsrc", "xrsrc")), "hit HEUR[PE].SALITY") << "first five contain it";
  EXPECT_EQ(Heuristics(three(".rsrc", "xxrsrc")), "miss") << "beyond the first five";
  EXPECT_EQ(Heuristics(three(".reloc", ".data1")), "hit HEUR[PE].SALITY");
  EXPECT_EQ(Heuristics(three(".rsrc", ".rsrc", 0x60000000u)), "miss") << "no code bit";
  EXPECT_EQ(Heuristics(three(".idata", ".idata")), "miss") << "idata excluded";
  EXPECT_EQ(Heuristics(three(".reloc", ".Data")), "miss");
}

TEST(SectionHeuristics, StepDAlmanWindow) {
  const std::string patternA = MarkerBytes({0xB5, 0xED, 0xA7, 0xB6, 0xFD, 0x14, 0xDA, 0xFF, 0xD7, 0xD0, 0xFE, 0xFF, 0xFF,
                                            0xB7, 0x68, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xA1, 0xF9, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x1E, 0x80});
  const std::string patternB = MarkerBytes({0x34, 0x78, 0xDB, 0x20, 0x33, 0x35, 0x10, 0x89, 0xFA, 0x50, 0x43, 0xA7, 0xE3,
                                            0xE0, 0x6E, 0x86, 0xA1, 0xFA, 0x74, 0x01, 0x82, 0x74, 0x28, 0x5A, 0x8A, 0x10,
                                            0xF0, 0xA0, 0xD0, 0xF8, 0x1C, 0xC8, 0xD4, 0xAF, 0xE9, 0xFA, 0xB2, 0x2F, 0x81});
  ASSERT_EQ(patternA.size(), 38u);
  ASSERT_EQ(patternB.size(), 39u);
  constexpr std::size_t rawSize = 40960;
  const std::size_t windowStart = rawSize - 36865;  // within the raw data
  const auto image = [&](std::size_t at, const std::string& pattern, std::size_t size = 40960) {
    PeSection s = Section(".x", 0x40000040u, size);
    s.raw.assign(size, 0);
    if (!pattern.empty()) Place(s.raw, at, pattern);
    s.raw.resize(size);
    return TwoSections(s);
  };
  EXPECT_EQ(Heuristics(image(windowStart, patternA)), "hit HEUR[PE].ALMAN.A");
  EXPECT_EQ(Heuristics(image(windowStart + 12000 - 38, patternA)), "hit HEUR[PE].ALMAN.A");
  EXPECT_EQ(Heuristics(image(windowStart + 12000 - 37, patternA)), "miss") << "runs out of the window";
  EXPECT_EQ(Heuristics(image(windowStart - 1, patternA)), "miss") << "starts before the window";
  EXPECT_EQ(Heuristics(image(windowStart + 100, patternB)), "hit HEUR[PE].ALMAN.B");
  // 35999 raw bytes: no window (the raw size is rounded to the file alignment, so override it).
  PeImage small = image(0, patternA, 36000);
  small.sections[1].sizeOfRawData = 35999;
  EXPECT_EQ(Heuristics(small), "miss");
  PeImage exact = image(0, patternA, 36000);
  exact.sections[1].sizeOfRawData = 36000;
  EXPECT_EQ(Heuristics(exact), "hit HEUR[PE].ALMAN.A") << "the window reaches back before the section";
}

TEST(SectionHeuristics, StepELastResort) {
  PeImage upx = TwoSections(Section("UPX1", 0x40000040u));
  upx.sections[0].name = "UPX0";
  EXPECT_EQ(Heuristics(upx), "hit HEUR[PE].UPX");
  upx.sections[0].name = "upx0";
  EXPECT_EQ(Heuristics(upx), "miss");

  PeImage mow = TwoSections(Section("qcyrwal", 0x40000040u));
  mow.sections[0].name = "UPX0";  // MOW's rule comes first and has no fall-through
  const std::size_t base = mow.Build().size();
  mow.overlay.assign(105472 - base, 0);
  EXPECT_EQ(Heuristics(mow), "hit HEUR[PE].MOW");
  mow.overlay.pop_back();
  EXPECT_EQ(Heuristics(mow), "miss") << "105471 bytes";
}

TEST(SectionHeuristics, MalformedHeadersGiveNoDetection) {
  PeImage one;
  one.sections = {Section("UPX0", 0xC0000000u)};
  EXPECT_EQ(Heuristics(one), "miss") << "one section";
  PeImage huge = TwoSections(Section(".rsrc", 0xC0000000u));
  huge.numberOfSections = 0x7FFF;
  EXPECT_EQ(Heuristics(huge), "miss") << "table past the end";
  PeImage negative = TwoSections(Section(".rsrc", 0xC0000000u));
  negative.numberOfSections = -1;
  EXPECT_EQ(Heuristics(negative), "miss");
}

TEST(EntryPointPatterns, EachPatternAtTheEntryPoint) {
  const auto image = [](ByteVec code, std::uint32_t entryOffset = 0x10) {
    PeImage i;
    PeSection text = Section(".text", 0x60000020u);
    Place(text.raw, entryOffset, std::string(code.begin(), code.end()));
    i.sections = {text, Section(".data", 0xC0000040u)};
    i.entryPoint = i.SectionRva(0) + entryOffset;
    return i;
  };
  for (const auto& pattern : checks::EntryPointPatterns()) {
    SCOPED_TRACE(pattern.name);
    ByteVec code(static_cast<std::size_t>(pattern.length), 0x90);
    for (const auto& [index, value] : pattern.bytes) code[index] = value;
    const auto run = [](const PeImage& i, const std::string& path) {
      return Describe(RunOn([](FileView& v) { return checks::EntryPointPatternCheck(v); }, path, i.Build()));
    };
    EXPECT_EQ(run(image(code), "x.exe"), std::string("hit ") + pattern.name);
    EXPECT_EQ(run(image(code), "x.sys"), std::string("hit ") + pattern.name);
    EXPECT_EQ(run(image(code), "x.ocx"), "miss") << "no OCX in the list";
    for (const auto& [index, value] : pattern.bytes) {
      ByteVec altered = code;
      altered[index] = static_cast<std::uint8_t>(value ^ 0x01);
      EXPECT_NE(run(image(altered), "x.exe"), std::string("hit ") + pattern.name) << "byte " << index;
    }
  }
  const auto names = checks::EntryPointPatterns();
  ASSERT_EQ(names.size(), 3u);
  EXPECT_STREQ(names[0].name, "[INF].TENGA");
  EXPECT_STREQ(names[1].name, "[INF].RUNONCE");
  EXPECT_STREQ(names[2].name, "[INF].SALITY");
}

TEST(PeCheck, OrderAndExtensions) {
  MapHeads heads;
  PeImage image = TwoSections(Section(".text", 0xE0000020u));
  image.sections[1].raw[0] = 0x60;
  image.sections[1].raw[1] = 0xE8;
  const std::string head = "60E8CCCCCCCCCCCCCC";
  EXPECT_EQ(FullPe(image, "x.exe", heads), "hit HEUR[PE].RAMNIT");
  heads.entries[head] = "W32.LISTED";
  EXPECT_EQ(FullPe(image, "x.exe", heads), "hit W32.LISTED") << "the list comes first";
  EXPECT_EQ(FullPe(image, "x.OCX", heads), "hit W32.LISTED");
  heads.entries.clear();
  heads.entries["60e8cccccccccccccc"] = "W32.LOWER";
  EXPECT_EQ(FullPe(image, "x.exe", heads), "hit HEUR[PE].RAMNIT") << "exact, case-sensitive";
  EXPECT_EQ(FullPe(image, "x.txt", heads), "miss");

  PeImage notPe = image;
  notPe.characteristics = 0x0002;  // no 32-bit machine flag
  EXPECT_EQ(FullPe(notPe, "x.exe", heads), "miss");
  notPe = image;
  notPe.signature = 0x00004551u;
  EXPECT_EQ(FullPe(notPe, "x.dll", heads), "miss");
}

}  // namespace
}  // namespace kestro::test
