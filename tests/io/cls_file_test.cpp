#include "io/cls_file.hpp"

#include <gtest/gtest.h>

#include "io/mdl_pe.hpp"
#include "io/positioned_reader.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::checks {
namespace {

class ClsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(dir_ / "ten.bin", "0123456789");
    test::WriteFile(dir_ / "empty.bin", "");
  }
  test::TempDir dir_;
  clsFile file_;
};

TEST_F(ClsFileTest, OpenReportsZeroForMissingFilesAndBadOptions) {
  EXPECT_EQ(file_.VbOpenFile(dir_ / "missing.bin", 1, 4), 0);
  EXPECT_EQ(file_.VbOpenFile(dir_ / "missing.bin", 4, 4), 0);  // read-write, existing only
  EXPECT_EQ(file_.VbOpenFile(dir_ / "ten.bin", 0, 4), 0);
  EXPECT_EQ(file_.VbOpenFile(dir_ / "ten.bin", 1, 5), 0);
  const std::int32_t h = file_.VbOpenFile(dir_ / "ten.bin", 1, 4);
  ASSERT_GT(h, 0);
  EXPECT_EQ(file_.VbFileLen(h), 10);
  EXPECT_NE(file_.VbCloseFile(h), 0);
  EXPECT_EQ(file_.VbCloseFile(0), 0);
}

// One table for the read rules, on a 10-byte file, an empty file and no file.
TEST_F(ClsFileTest, ReadCodesAndShortReads) {
  const std::int32_t ten = file_.VbOpenFile(dir_ / "ten.bin", 1, 4);
  const std::int32_t empty = file_.VbOpenFile(dir_ / "empty.bin", 1, 4);
  ASSERT_GT(ten, 0);
  ASSERT_GT(empty, 0);
  struct Case {
    const char* what;
    std::int32_t handle;
    std::int32_t start;
    std::int32_t length;
    std::int32_t result;
    std::string_view bytes;
  };
  const Case cases[] = {
      {"no file: size unknown", 0, 1, 1, -1, ""},
      {"empty file", empty, 1, 1, -2, ""},
      {"start past the end", ten, 11, 1, -3, ""},
      {"start zero", ten, 0, 1, -4, ""},
      {"start negative", ten, -5, 1, -4, ""},
      {"length zero", ten, 1, 0, -5, ""},
      {"length negative", ten, 1, -1, -5, ""},
      {"longer than the whole file", ten, 1, 64, -6, ""},
      {"start past the end wins over length", ten, 11, 64, -3, ""},
      {"whole file", ten, 1, 10, 10, "0123456789"},
      {"cut at the end", ten, 5, 9, 6, "456789"},
      {"last byte", ten, 10, 1, 1, "9"},
      {"last byte, long read", ten, 10, 10, 1, "9"},
  };
  for (const Case& c : cases) {
    Bytes out{1, 2, 3};
    EXPECT_EQ(file_.VbReadFileB(c.handle, c.start, c.length, out), c.result) << c.what;
    EXPECT_EQ(std::string(out.begin(), out.end()), c.bytes) << c.what;

    // The in-memory reader follows the same rules.
    if (c.handle != 0) {
      const auto bytes = test::ReadFile(c.handle == ten ? dir_ / "ten.bin" : dir_ / "empty.bin");
      MemoryReader memory(bytes);
      Bytes mem{9};
      EXPECT_EQ(memory.ReadAt(c.start, c.length, mem), c.result) << c.what << " (memory)";
      EXPECT_EQ(std::string(mem.begin(), mem.end()), c.bytes) << c.what << " (memory)";
    }
  }
  file_.VbCloseFile(ten);
  file_.VbCloseFile(empty);
}

TEST_F(ClsFileTest, WriteCodesAndPositionedWrites) {
  const std::int32_t h = file_.VbOpenFile(dir_ / "new.bin", 3, 4);
  ASSERT_GT(h, 0);
  const Bytes abc{'a', 'b', 'c'};
  EXPECT_EQ(file_.VbWriteFileB(h, 0, 3, abc), -1);
  EXPECT_EQ(file_.VbWriteFileB(h, 1, 0, abc), -2);
  EXPECT_EQ(file_.VbWriteFileB(h, 1, 4, abc), -3);
  EXPECT_EQ(file_.VbWriteFileB(h, 1, 3, abc), 3);
  EXPECT_EQ(file_.VbWriteFileB(h, 3, 2, abc), 2);  // overwrites from position 3
  EXPECT_EQ(file_.VbFileLen(h), 4);
  Bytes out;
  EXPECT_EQ(file_.VbReadFileB(h, 1, 4, out), 4);
  EXPECT_EQ(std::string(out.begin(), out.end()), "abab");
  file_.VbCloseFile(h);
}

TEST_F(ClsFileTest, ReadBlockOfFileByPath) {
  Bytes block;
  EXPECT_TRUE(mdlPE::ReadBlockOfFile(dir_ / "ten.bin", 9, 5, block));
  EXPECT_EQ(std::string(block.begin(), block.end()), "89");
  EXPECT_FALSE(mdlPE::ReadBlockOfFile(dir_ / "empty.bin", 1, 1, block));
  EXPECT_TRUE(block.empty());
  EXPECT_FALSE(mdlPE::ReadBlockOfFile(dir_ / "missing.bin", 1, 1, block));
}

TEST(ReadRefusal, SizesBeyondThirtyTwoBitsAreNotWrapped) {
  // A 4 GiB + 10 byte file would look like a 10-byte file if its size were cut
  // to 32 bits; the rule sees the true size.
  const std::int64_t huge = (std::int64_t{1} << 32) + 10;
  EXPECT_EQ(ReadRefusal(huge, 100, 64), 0);
  EXPECT_EQ(ReadRefusal(huge, 1, INT32_MAX), 0);
}

}  // namespace
}  // namespace kestro::checks
