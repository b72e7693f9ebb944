// The registry-script language: parsing, replacements and the errors a broken
// script gives.
#include <gtest/gtest.h>

#include <string>

#include "com/rgs_script.hpp"

namespace kestro::com {
namespace {

TEST(RegistryScriptTest, ParsesKeysFlagsAndValues) {
  const char* text =
      "HKCR\r\n{\r\n"
      "  NoRemove CLSID\r\n  {\r\n"
      "    ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Some Class'\r\n    {\r\n"
      "      InprocServer32 = s 'C:\\dir\\x.dll'\r\n      {\r\n"
      "        val ThreadingModel = s 'Apartment'\r\n"
      "      }\r\n    }\r\n  }\r\n"
      "  'Quoted Key' = s 'it''s'\r\n"
      "}\r\n";
  const ParseResult parsed = ParseRegistryScript(text);
  ASSERT_TRUE(parsed.script) << parsed.error;
  ASSERT_EQ(parsed.script->roots.size(), 1u);
  const ScriptRoot& root = parsed.script->roots[0];
  EXPECT_EQ(root.root, RegistryRoot::ClassesRoot);
  ASSERT_EQ(root.keys.size(), 2u);
  const ScriptKey& clsid = root.keys[0];
  EXPECT_EQ(clsid.name, "CLSID");
  EXPECT_EQ(clsid.flag, KeyFlag::NoRemove);
  EXPECT_FALSE(clsid.defaultValue);
  ASSERT_EQ(clsid.subkeys.size(), 1u);
  const ScriptKey& cls = clsid.subkeys[0];
  EXPECT_EQ(cls.name, "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(cls.flag, KeyFlag::ForceRemove);
  EXPECT_EQ(cls.defaultValue, "Some Class");
  ASSERT_EQ(cls.subkeys.size(), 1u);
  const ScriptKey& server = cls.subkeys[0];
  EXPECT_EQ(server.flag, KeyFlag::None);
  EXPECT_EQ(server.defaultValue, "C:\\dir\\x.dll");
  ASSERT_EQ(server.values.size(), 1u);
  EXPECT_EQ(server.values[0].name, "ThreadingModel");
  EXPECT_EQ(server.values[0].data, "Apartment");
  EXPECT_EQ(root.keys[1].name, "Quoted Key");
  EXPECT_EQ(root.keys[1].defaultValue, "it's");
}

TEST(RegistryScriptTest, AcceptsEveryRootSpelling) {
  const struct {
    const char* name;
    RegistryRoot root;
  } cases[] = {{"HKCR", RegistryRoot::ClassesRoot},         {"hkey_classes_root", RegistryRoot::ClassesRoot},
               {"HKLM", RegistryRoot::LocalMachine},        {"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
               {"HKCU", RegistryRoot::CurrentUser},         {"HKEY_CURRENT_USER", RegistryRoot::CurrentUser}};
  for (const auto& c : cases) {
    const ParseResult parsed = ParseRegistryScript(std::string(c.name) + " { Key }");
    ASSERT_TRUE(parsed.script) << c.name << ": " << parsed.error;
    EXPECT_EQ(parsed.script->roots[0].root, c.root) << c.name;
  }
}

TEST(RegistryScriptTest, RejectsMalformedScripts) {
  const char* cases[] = {
      "HKXX { Key }",                       // unknown root
      "HKCR Key",                           // no block
      "HKCR { Key",                         // unclosed block
      "HKCR { Key = s 'open }",             // unterminated string
      "HKCR { Key = d '1' }",               // unsupported value type
      "HKCR { Key = s }",                   // missing string
      "HKCR { val Name = s 'x' }",          // named value without a key
      "HKCR { Key { val Name s 'x' } }",    // missing '='
      "HKCR { Delete Key }",                // unsupported flag
      "HKCR { ForceRemove }",               // flag without a name
      "HKCR { 'a\\b' }",                    // path separator in a name
      "HKCR { Key } }",                     // stray close
  };
  for (const char* text : cases) {
    const ParseResult parsed = ParseRegistryScript(text);
    EXPECT_FALSE(parsed.script) << text;
    EXPECT_FALSE(parsed.error.empty()) << text;
  }
}

TEST(RegistryScriptTest, RefusesDeepNesting) {
  std::string text = "HKCR {";
  for (int i = 0; i < 200; ++i) text += " K {";
  for (int i = 0; i < 200; ++i) text += " }";
  text += " }";
  EXPECT_FALSE(ParseRegistryScript(text).script);
}

TEST(RegistryScriptTest, ExpandsReplacements) {
  std::string error;
  const Replacements replacements{{"MODULE", "C:\\A B\\x.dll"}};
  EXPECT_EQ(ExpandReplacements("= s '%MODULE%' 100%% %MODULE%", replacements, error),
            "= s 'C:\\A B\\x.dll' 100% C:\\A B\\x.dll");
  EXPECT_FALSE(ExpandReplacements("%OTHER%", replacements, error));
  EXPECT_NE(error.find("OTHER"), std::string::npos);
  EXPECT_FALSE(ExpandReplacements("50% off", replacements, error));
}

TEST(RegistryScriptTest, DoubledQuotesSurviveQuoting) {
  EXPECT_EQ(DoubleQuotes("C:\\it's\\o'k.dll"), "C:\\it''s\\o''k.dll");
  std::string error;
  const auto expanded =
      ExpandReplacements("HKCR { K = s '%MODULE%' }", {{"MODULE", DoubleQuotes("C:\\it's\\x.dll")}}, error);
  ASSERT_TRUE(expanded);
  const ParseResult parsed = ParseRegistryScript(*expanded);
  ASSERT_TRUE(parsed.script) << parsed.error;
  EXPECT_EQ(parsed.script->roots[0].keys[0].defaultValue, "C:\\it's\\x.dll");
}

}  // namespace
}  // namespace kestro::com
