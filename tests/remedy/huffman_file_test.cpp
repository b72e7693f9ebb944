// The container file operations: messages, nothing written on failure.
#include <gtest/gtest.h>

#include "remedy/cls_huffman.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::remedy {
namespace {

using test::ReadFile;
using test::WriteFile;

TEST(HuffmanFile, EncodeAndDecodeRoundTripReplacingAnExistingDestination) {
  test::TempDir dir;
  test::FakeRemedy fake;
  clsHuffman huffman(fake.context);
  std::vector<std::uint8_t> original(70000);
  for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>((i * i) % 251 % 40);
  WriteFile(dir / "in.bin", original);
  WriteFile(dir / "in.bin.vir", "stale container");
  ASSERT_TRUE(huffman.EncodeFile(dir / "in.bin", dir / "in.bin.vir"));
  const auto container = ReadFile(dir / "in.bin.vir");
  ASSERT_GE(container.size(), 4u);
  EXPECT_EQ(std::string(container.begin(), container.begin() + 4), "HE3\r");
  ASSERT_TRUE(huffman.DecodeFile(dir / "in.bin.vir", dir / "out.bin"));
  EXPECT_EQ(ReadFile(dir / "out.bin"), original);
  EXPECT_TRUE(fake.messages.shown.empty());
}

TEST(HuffmanFile, EncodeRefusesMissingAndEmptySources) {
  test::TempDir dir;
  test::FakeRemedy fake;
  clsHuffman huffman(fake.context);
  EXPECT_FALSE(huffman.EncodeFile(dir / "missing.exe", dir / "missing.exe.vir"));
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].text, "Quarantine error !");
  EXPECT_EQ(fake.messages.shown[0].caption, "KESTRO Antivirus");
  EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Exclamation);

  WriteFile(dir / "empty.exe", "");
  EXPECT_FALSE(huffman.EncodeFile(dir / "empty.exe", dir / "empty.exe.vir"));
  EXPECT_EQ(fake.messages.shown.size(), 1u);  // silent
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.exe.vir"));
  EXPECT_FALSE(std::filesystem::exists(dir / "empty.exe.vir"));
}

TEST(HuffmanFile, DecodeFailuresShowRestoreErrorAndWriteNothing) {
  test::TempDir dir;
  const std::string abc = std::string("HE3\r\x60\x03\0\0\0\x03\0a\x02" "b\x02" "c\x01\x0d\x0d", 19);
  struct Case {
    const char* name;
    std::string container;
  };
  std::string badChecksum = abc;
  badChecksum[4] = 'x';
  std::string badId = abc;
  badId[2] = '4';
  const std::vector<Case> cases = {
      {"checksum", badChecksum},
      {"identification", badId},
      {"truncated", abc.substr(0, 17)},
      {"not a container", "MZ this is a program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeRemedy fake;
    clsHuffman huffman(fake.context);
    WriteFile(dir / "x.vir", c.container);
    EXPECT_FALSE(huffman.DecodeFile(dir / "x.vir", dir / "x.out"));
    EXPECT_EQ(fake.messages.Texts(), std::vector<std::string>{"Restore error !"});
    EXPECT_FALSE(std::filesystem::exists(dir / "x.out"));
  }
  test::FakeRemedy fake;
  clsHuffman huffman(fake.context);
  WriteFile(dir / "good.vir", abc);
  ASSERT_TRUE(huffman.DecodeFile(dir / "good.vir", dir / "good.out"));
  EXPECT_EQ(ReadFile(dir / "good.out"), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
  // An empty container fails without a message of its own.
  WriteFile(dir / "empty.vir", "");
  EXPECT_FALSE(huffman.DecodeFile(dir / "empty.vir", dir / "empty.out"));
  EXPECT_TRUE(fake.messages.shown.empty());
  EXPECT_FALSE(huffman.DecodeFile(dir / "gone.vir", dir / "gone.out"));
  EXPECT_EQ(fake.messages.Texts(), std::vector<std::string>{"Restore error !"});
}

TEST(HuffmanFile, FailedDecodeKeepsTheDestinationAndLeavesNoPartialFile) {
  test::TempDir dir;
  test::FakeRemedy fake;
  clsHuffman huffman(fake.context);
  std::vector<std::uint8_t> original(200000);
  for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>((i * 7) % 251 % 30);
  WriteFile(dir / "in.bin", original);
  ASSERT_TRUE(huffman.EncodeFile(dir / "in.bin", dir / "in.vir"));
  // A changed checksum shows only after every byte was decoded and written.
  auto container = ReadFile(dir / "in.vir");
  container[4] = static_cast<std::uint8_t>(container[4] ^ 1);
  WriteFile(dir / "bad.vir", container);
  WriteFile(dir / "out.bin", "keep me");
  // A file that happens to carry the temporary name is not touched either.
  WriteFile(dir / "out.bin.kestro-part", "not ours");
  EXPECT_FALSE(huffman.DecodeFile(dir / "bad.vir", dir / "out.bin"));
  EXPECT_EQ(fake.messages.Texts(), std::vector<std::string>{"Restore error !"});
  EXPECT_EQ(ReadFile(dir / "out.bin"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
  EXPECT_EQ(ReadFile(dir / "out.bin.kestro-part"), (std::vector<std::uint8_t>{'n', 'o', 't', ' ', 'o', 'u', 'r', 's'}));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 5u);  // in.bin, in.vir, bad.vir, out.bin, out.bin.kestro-part

  ASSERT_TRUE(huffman.DecodeFile(dir / "in.vir", dir / "out.bin"));
  EXPECT_EQ(ReadFile(dir / "out.bin"), original);
  EXPECT_EQ(ReadFile(dir / "out.bin.kestro-part").size(), 8u);
}

}  // namespace
}  // namespace kestro::remedy
