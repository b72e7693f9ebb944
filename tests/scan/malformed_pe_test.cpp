// A generated corpus of malformed PE images and random bytes through the whole
// file check, under every name the checks treat differently. Run in the
// sanitizer tree, a fault here is a failure; elsewhere it checks that malformed
// headers give normal results.
#include <gtest/gtest.h>

#include <random>

#include "io/file_view.hpp"
#include "icon/icon_check.hpp"
#include "checks/shell_link.hpp"
#include "scan/file_check.hpp"
#include "scan/packer_identification.hpp"
#include "tests/support/pe_builder.hpp"

namespace kestro::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class AnyTarget final : public checks::TargetExistence {
 public:
  platform::PathExistence Exists(std::string_view) const override { return platform::PathExistence::Missing; }
};

const char* const kNames[] = {"x.exe", "x.dll", "x.ocx", "x.sys", "x.lnk", "x.vbs", "x.php", "x.com",
                              "autorun.inf", "x.html", "x.vbe"};

void CheckEverywhere(const Bytes& bytes) {
  const sigdb::SignatureLists lists;
  const checks::NoIconCheck icon;
  const AnyTarget targets;
  const scan::FileCheckContext context{lists, icon, targets, false};
  for (const char* name : kNames) {
    checks::FileView view = checks::FileView::FromBytes(name, bytes);
    (void)scan::FileCheck(view, context);
    (void)scan::IdentifyPacker(view);
  }
  (void)checks::ShellLinkTarget(bytes);
}

PeImage Valid() {
  PeImage image;
  for (int i = 0; i < 3; ++i) {
    PeSection s;
    s.name = i == 0 ? ".text" : (i == 1 ? ".data" : ".rsrc");
    s.characteristics = i == 2 ? 0xE0000020u : 0x60000020u;
    s.raw.assign(0x400, static_cast<std::uint8_t>(0x8A + i));
    image.sections.push_back(s);
  }
  image.entryPoint = image.SectionRva(2) + 8;
  return image;
}

std::vector<Bytes> Corpus() {
  std::vector<Bytes> corpus;
  const Bytes valid = Valid().Build();
  // Every truncation of the headers, then coarser ones of the rest.
  for (std::size_t n = 0; n < valid.size(); n += (n < 0x300 ? 1 : 0x40)) corpus.emplace_back(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(n));
  for (const std::int32_t lfanew : {-1, -248, 0, 1, 60, 0x7FFFFFF0, INT32_MAX, INT32_MIN, 0x10000}) {
    PeImage i = Valid();
    i.eLfanew = lfanew;
    Bytes b = i.Build();
    if (lfanew < 0 || lfanew > (1 << 24)) b.resize(4096, 0x41);
    corpus.push_back(b);
  }
  for (const std::int16_t count : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{1}, std::int16_t{2}, std::int16_t{4},
                                   std::int16_t{200}, std::int16_t{0x7FFF}, std::int16_t{-32768}}) {
    PeImage i = Valid();
    i.numberOfSections = count;
    corpus.push_back(i.Build());
  }
  const std::uint32_t extremes[] = {0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x100000u, 0xFFFFFF00u};
  for (const std::uint32_t v : extremes) {
    for (int field = 0; field < 5; ++field) {
      PeImage i = Valid();
      PeSection& last = i.sections.back();
      switch (field) {
        case 0: last.pointerToRawData = v; break;
        case 1: last.sizeOfRawData = v; break;
        case 2: last.virtualAddress = v; break;
        case 3: last.virtualSize = v == 0 ? 1 : v; break;
        case 4: i.entryPoint = v; break;
      }
      corpus.push_back(i.Build());
    }
  }
  std::mt19937 random(1234);
  for (int n = 0; n < 300; ++n) {
    Bytes b(random() % 5000);
    for (auto& byte : b) byte = static_cast<std::uint8_t>(random());
    if (n % 2 == 0 && b.size() >= 2) {
      b[0] = 'M';
      b[1] = 'Z';
    }
    corpus.push_back(b);
  }
  // Random mutations of a valid image.
  for (int n = 0; n < 300; ++n) {
    Bytes b = valid;
    for (int k = 0; k < 8; ++k) b[random() % 0x300] = static_cast<std::uint8_t>(random());
    corpus.push_back(b);
  }
  return corpus;
}

TEST(MalformedPe, CorpusGivesNormalResults) {
  const auto corpus = Corpus();
  ASSERT_GT(corpus.size(), 1000u);
  for (const Bytes& b : corpus) CheckEverywhere(b);
}

TEST(MalformedPe, HeaderFieldsOutsideTheFileEndTheCheckWithoutDetection) {
  const sigdb::SignatureLists lists;
  const checks::NoIconCheck icon;
  const AnyTarget targets;
  const scan::FileCheckContext context{lists, icon, targets, false};
  PeImage i = Valid();
  i.sections.back().pointerToRawData = 0x7FFFFFF0u;
  i.entryPoint = i.SectionRva(0);
  const Bytes b = i.Build();
  checks::FileView view = checks::FileView::FromBytes("x.exe", b);
  EXPECT_FALSE(scan::FileCheck(view, context).hit);
  PeImage huge = Valid();
  huge.numberOfSections = 0x7FFF;
  const Bytes h = huge.Build();
  checks::FileView hugeView = checks::FileView::FromBytes("x.exe", h);
  EXPECT_FALSE(scan::FileCheck(hugeView, context).hit);
}

}  // namespace
}  // namespace kestro::test
