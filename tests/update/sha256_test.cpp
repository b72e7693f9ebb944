// SHA-256 against the published test vectors, fed whole and in awkward pieces.
#include "update/sha256.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"

namespace kestro::update {
namespace {

TEST(Sha256, PublishedVectors) {
  const std::vector<std::pair<std::string, std::string>> vectors = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      // 55, 56 and 64 bytes: the padding boundaries.
      {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
      {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
      {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
  };
  for (const auto& [message, expected] : vectors) {
    EXPECT_EQ(DigestText(Sha256Of(message)), expected) << message.size() << " bytes";
    // The same message added in pieces of every size from 1 to 70 bytes.
    for (std::size_t piece = 1; piece <= 70 && message.size() < 2000; ++piece) {
      Sha256 hash;
      for (std::size_t at = 0; at < message.size(); at += piece)
        hash.Add(std::string_view(message).substr(at, piece));
      ASSERT_EQ(DigestText(hash.Finish()), expected) << message.size() << " bytes in pieces of " << piece;
    }
  }
}

TEST(Sha256, FileDigestAndText) {
  test::TempDir dir;
  test::WriteFile(dir / "f", std::string(200000, 'a'));
  const auto digest = Sha256OfFile(dir / "f");
  ASSERT_TRUE(digest.has_value());
  EXPECT_EQ(*digest, Sha256Of(std::string(200000, 'a')));
  EXPECT_FALSE(Sha256OfFile(dir / "missing").has_value());

  const std::string text = DigestText(*digest);
  EXPECT_EQ(ParseDigestText(text), digest);
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ParseDigestText(upper), digest);
  EXPECT_FALSE(ParseDigestText(text.substr(1)).has_value());
  EXPECT_FALSE(ParseDigestText(text + "0").has_value());
  EXPECT_FALSE(ParseDigestText("g" + text.substr(1)).has_value());
}

}  // namespace
}  // namespace kestro::update
