// The multi-pattern matcher against a plain search, and the file view's window
// rules and single read.
#include <gtest/gtest.h>

#include <random>

#include "io/file_view.hpp"
#include "checks/marker_matcher.hpp"
#include "tests/checks/detection_test_util.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {

using checks::FileView;
using checks::MarkerMatcher;

TEST(MarkerMatcher, AgreesWithOneSearchPerMarker) {
  const std::vector<std::string> markers = {"he", "she", "his", "hers", "a", "aaa", std::string("\0\0\0j", 4), "x"};
  const MarkerMatcher matcher(markers);
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const std::size_t length = random() % 24;
    for (std::size_t i = 0; i < length; ++i) text.push_back("hersaij\0"[random() % 8]);
    const ByteVec bytes = ToBytes(text);
    const checks::MarkerHits hits = matcher.Find(bytes);
    for (std::size_t m = 0; m < markers.size(); ++m) {
      EXPECT_EQ(hits[m], text.find(markers[m]) != std::string::npos) << "marker " << m << " in " << text.size();
    }
  }
}

TEST(MarkerMatcher, SkipsNulAndJoinsBlocks) {
  const MarkerMatcher matcher({"TASKKILL", "KILL"});
  const ByteVec split = ToBytes(std::string("TAS\0KK\0\0ILL", 11));
  EXPECT_TRUE(matcher.Find(split, true)[0]);
  EXPECT_FALSE(matcher.Find(split, false)[0]);
  const ByteVec a = ToBytes("xxTASK");
  const ByteVec b = ToBytes("KILLyy");
  const auto hits = matcher.Find({a, b}, false);
  EXPECT_TRUE(hits[0]);
  EXPECT_TRUE(hits[1]);
}

TEST(FileView, WindowRulesMatchTheFileAccessRules) {
  TempDir dir;
  for (const std::size_t size : {std::size_t{10}, std::size_t{200000}}) {
    SCOPED_TRACE(size);
    ByteVec bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    WriteFile(dir / "f.bin", bytes);
    FileView view = FileView::Open(dir / "f.bin");
    checks::MemoryReader reference(bytes);
    const std::int32_t n = static_cast<std::int32_t>(size);
    const std::pair<std::int32_t, std::int32_t> windows[] = {
        {1, n}, {1, n + 1}, {n, 1}, {n + 1, 1}, {0, 5}, {5, 0}, {n - 3, 9}, {5, 9}, {2, n}, {100, 70000}};
    for (const auto& [start, length] : windows) {
      checks::Bytes expected;
      checks::Bytes actual;
      EXPECT_EQ(view.ReadAt(start, length, actual), reference.ReadAt(start, length, expected)) << start << "," << length;
      EXPECT_EQ(actual, expected);
      const auto span = view.Window(start, length);
      EXPECT_EQ(ByteVec(span.begin(), span.end()), expected);
    }
  }
}

TEST(FileView, UnopenableFileHasNoSizeAndReadsNothing) {
  FileView view = FileView::Open("/nonexistent/kestro/file.exe");
  EXPECT_FALSE(view.Opened());
  EXPECT_EQ(view.Size(), -1);
  EXPECT_TRUE(view.Whole().empty());
  EXPECT_TRUE(view.Window(1, 1).empty());
  EXPECT_EQ(view.PeProbe(), 0);
}

TEST(FileView, EarlierWindowsStayValidWhenTheWholeFileIsLoaded) {
  TempDir dir;
  ByteVec bytes(300000, 'q');
  bytes[5] = 'Z';
  WriteFile(dir / "big.bin", bytes);
  FileView view = FileView::Open(dir / "big.bin");
  const auto head = view.Window(1, 10);
  const auto far = view.Window(250001, 10);
  ASSERT_EQ(head.size(), 10u);
  ASSERT_EQ(far.size(), 10u);
  EXPECT_EQ(view.Whole().size(), 300000u);
  EXPECT_EQ(head[5], 'Z');
  EXPECT_EQ(far[0], 'q');
}

}  // namespace
}  // namespace kestro::test
