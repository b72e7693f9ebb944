// The registry editor's export format: what we write reads back the same, the
// forms regedit writes are read, and bad lines are reported and skipped.
#include <gtest/gtest.h>

#include "platform/memory_registry.hpp"
#include "platform/utf16_text.hpp"
#include "remedy/reg_file.hpp"

namespace kestro::remedy {
namespace {

using platform::RegistryRoot;

std::vector<std::uint8_t> Utf16File(const std::string& text) {
  std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
  const auto body = platform::Utf8ToUtf16Le(text);
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

bool SameSections(const std::vector<RegFileKey>& a, const std::vector<RegFileKey>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].root != b[i].root || a[i].path != b[i].path || a[i].remove != b[i].remove ||
        a[i].values.size() != b[i].values.size()) {
      return false;
    }
    for (std::size_t j = 0; j < a[i].values.size(); ++j) {
      const RegFileValue& x = a[i].values[j];
      const RegFileValue& y = b[i].values[j];
      if (x.name != y.name || x.remove != y.remove || (!x.remove && (x.type != y.type || x.data != y.data))) return false;
    }
  }
  return true;
}

TEST(RegFileTest, EveryValueFormReadsBackAsWritten) {
  std::vector<std::uint8_t> longBinary(200);
  for (std::size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = static_cast<std::uint8_t>(i * 7);
  const std::vector<RegFileKey> keys = {
      {RegistryRoot::LocalMachine, "SYSTEM\\Made By The Pass", true, {}},
      {RegistryRoot::CurrentUser,
       "Software\\Ke\xC3\xBF",
       false,
       {
           {"", false, platform::kRegSz, platform::TextData("default")},
           {"quote \" and \\ back", false, platform::kRegSz, platform::TextData("C:\\Path \"quoted\" \xE2\x82\xAC")},
           {"number", false, platform::kRegDword, platform::NumberData(0xDEADBEEF)},
           {"expand", false, platform::kRegExpandSz, platform::TextData("%SystemRoot%\\x")},
           {"multi", false, platform::kRegMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
           {"binary", false, platform::kRegBinary, longBinary},
           {"empty binary", false, platform::kRegBinary, {}},
           {"no nul", false, platform::kRegSz, platform::Utf8ToUtf16Le("abc")},
           {"line break", false, platform::kRegSz, platform::TextData("two\r\nlines")},
           {"short dword", false, platform::kRegDword, {1, 2}},
           {"qword", false, platform::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
           {"none", false, platform::kRegNone, {}},
           {"gone", true, platform::kRegNone, {}},
       }},
      {RegistryRoot::Users, "S-1-5-21-1\\Software", false, {{"@odd", false, platform::kRegSz, platform::TextData("@")}}},
      {RegistryRoot::ClassesRoot, "exefile", false, {{"NeverShowExt", true, platform::kRegNone, {}}}},
  };
  const std::vector<std::uint8_t> bytes = RegFileBytes(keys);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  const std::string text = platform::Utf16LeToUtf8(std::span(bytes).subspan(2));
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_LOCAL_MACHINE\\SYSTEM\\Made By The Pass]\r\n", 0),
            0u);
  EXPECT_NE(text.find("\"quote \\\" and \\\\ back\"=\"C:\\\\Path \\\"quoted\\\" \xE2\x82\xAC\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"number\"=dword:deadbeef\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"no nul\"=hex(1):61,00,62,00,63,00\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"gone\"=-\r\n"), std::string::npos);
  EXPECT_NE(text.find(",\\\r\n  "), std::string::npos);  // long hex data goes on over lines
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  }

  const RegFileParse parse = ParseRegFile(bytes);
  EXPECT_TRUE(parse.recognised);
  EXPECT_TRUE(parse.problems.empty()) << parse.problems.front();
  EXPECT_TRUE(SameSections(parse.keys, keys));
}

TEST(RegFileTest, ReadsWhatRegeditWritesAndSkipsBadLines) {
  const std::string text =
      "\r\nWindows Registry Editor Version 5.00\r\n\r\n"
      "; a comment\r\n"
      "[HKEY_CURRENT_USER\\Software\\A\\]\r\n"
      "@=\"x\"\r\n"
      "\"Path\"=hex(2):25,00,53,00,\\\r\n"
      "  00,00\r\n"
      "\"Bad\"=dword:123456789\r\n"
      "\"Unclosed\"=\"abc\r\n"
      "\"Unknown\"=str:abc\r\n"
      "\"Fine\"=dword:2a\r\n"
      "[HKEY_NOWHERE\\X]\r\n"
      "\"Lost\"=\"y\"\r\n"
      "[-HKEY_LOCAL_MACHINE]\r\n"
      "[-hkey_local_machine\\Gone]\r\n"
      "\"AfterDelete\"=\"z\"\r\n";
  const RegFileParse parse = ParseRegFile(Utf16File(text));
  ASSERT_TRUE(parse.recognised);
  ASSERT_EQ(parse.keys.size(), 2u);
  EXPECT_EQ(parse.keys[0].path, "Software\\A");
  ASSERT_EQ(parse.keys[0].values.size(), 3u);
  EXPECT_EQ(parse.keys[0].values[0].name, "");
  EXPECT_EQ(parse.keys[0].values[1].type, platform::kRegExpandSz);
  EXPECT_EQ(parse.keys[0].values[1].data, (std::vector<std::uint8_t>{0x25, 0, 0x53, 0, 0, 0}));
  EXPECT_EQ(parse.keys[0].values[2].data, platform::NumberData(42));
  EXPECT_TRUE(parse.keys[1].remove);
  EXPECT_EQ(parse.keys[1].root, RegistryRoot::LocalMachine);
  EXPECT_EQ(parse.problems,
            (std::vector<std::string>{"line 9: bad dword", "line 10: unclosed or trailing text",
                                      "line 11: unknown data form", "line 13: unknown root key",
                                      "line 14: value of a key line that was skipped",
                                      "line 15: a whole root key cannot be changed",
                                      "line 17: value of a key line that was skipped"}));
}

TEST(RegFileTest, OtherFilesAreNotRecognised) {
  EXPECT_FALSE(ParseRegFile({}).recognised);
  EXPECT_FALSE(ParseRegFile(Utf16File("REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n")).recognised);
  const std::string utf8 = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n";
  const RegFileParse parse = ParseRegFile(std::vector<std::uint8_t>(utf8.begin(), utf8.end()));
  EXPECT_TRUE(parse.recognised);
  EXPECT_EQ(parse.keys.size(), 1u);
}

TEST(RegFileTest, ApplyGoesOnPastRefusalsAndCountsMissingDeletionsAsDone) {
  platform::MemoryRegistry registry;
  ASSERT_EQ(registry.SetText(RegistryRoot::CurrentUser, "A\\Old", "v", "1"), platform::kRegOk);
  ASSERT_EQ(registry.SetText(RegistryRoot::CurrentUser, "A", "stale", "1"), platform::kRegOk);
  registry.FailChangesUnder(RegistryRoot::LocalMachine, "", platform::kRegAccessDenied);
  const std::vector<RegFileKey> keys = {
      {RegistryRoot::CurrentUser, "A\\Old", true, {}},
      {RegistryRoot::CurrentUser, "A\\Never", true, {}},
      {RegistryRoot::LocalMachine, "Software\\X", false, {{"v", false, platform::kRegSz, platform::TextData("x")}}},
      {RegistryRoot::CurrentUser,
       "A",
       false,
       {{"stale", true, platform::kRegNone, {}},
        {"missing", true, platform::kRegNone, {}},
        {"new", false, platform::kRegDword, platform::NumberData(7)}}},
  };
  const RegImport result = ApplyRegFile(registry, keys);
  EXPECT_EQ(result.failures, std::vector<std::string>{"[HKEY_LOCAL_MACHINE\\Software\\X]: access denied"});
  EXPECT_EQ(result.applied, 6);
  EXPECT_EQ(registry.Dump(RegistryRoot::CurrentUser), (std::vector<std::string>{"A", "A|new=dword:00000007"}));
}

}  // namespace
}  // namespace kestro::remedy
