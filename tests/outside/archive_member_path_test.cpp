// The safe extraction path of archive members: hostile names from archives map
// to paths that lie inside the extraction folder.
#include <gtest/gtest.h>

#include "scan/archive_member_path.hpp"

namespace kestro::scan {
namespace {

struct NameCase {
  const char* stored;
  const char* safe;  // joined with '\'
};

TEST(SafeMemberName, MapsHostileNamesToPlainRelativeNames) {
  const NameCase cases[] = {
      {"evil.exe", "evil.exe"},
      {"dir\\sub\\evil.exe", "dir\\sub\\evil.exe"},
      {"dir/sub/evil.exe", "dir\\sub\\evil.exe"},
      {"..\\..\\Windows\\evil.exe", "Windows\\evil.exe"},
      {"../../etc/passwd", "etc\\passwd"},
      {"dir\\..\\..\\up.exe", "dir\\up.exe"},
      {"\\rooted.exe", "rooted.exe"},
      {"/rooted.exe", "rooted.exe"},
      {"\\\\server\\share\\x.exe", "server\\share\\x.exe"},
      {"\\\\?\\C:\\x.exe", "_\\C_\\x.exe"},
      {"C:\\Windows\\evil.exe", "C_\\Windows\\evil.exe"},
      {"C:evil.exe", "C_evil.exe"},
      {"file.txt:stream", "file.txt_stream"},
      {"file.txt::$DATA", "file.txt__$DATA"},
      {".. \\x.exe", "x.exe"},
      {"...\\x.exe", "x.exe"},
      {"dir.\\name. ", "dir\\name"},
      {"a<b>c|d\"e?f*g", "a_b_c_d_e_f_g"},
      {"tab\there", "tab_here"},
      {"CON", "_CON"},
      {"dir\\nul.txt", "dir\\_nul.txt"},
      {"com1.exe", "_com1.exe"},
      {"LPT9", "_LPT9"},
      {"console.txt", "console.txt"},
      {"com10.txt", "com10.txt"},
      {".hidden", ".hidden"},
      {"", "_"},
      {"..", "_"},
      {"\\\\..\\.\\", "_"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SafeMemberName(c.stored, '\\'), c.safe) << '"' << c.stored << '"';
  }
}

TEST(SafeMemberName, JoinsWithTheGivenSeparator) {
  EXPECT_EQ(SafeMemberName("a\\b/c", '/'), "a/b/c");
  EXPECT_EQ(SafeMemberName("a\\b/c"), std::string("a") + kPathSeparator + "b" + kPathSeparator + "c");
}

TEST(MemberExtractionPath, StaysInsideTheFolder) {
  const char* hostile[] = {"..\\..\\x", "C:\\x", "\\x", "x:y", "a/../../b", "", "CON", "\\\\?\\UNC\\s\\x"};
  for (const char* folder : {"C:\\KESTRO\\Extract", "C:\\KESTRO\\Extract\\"}) {
    for (const char* name : hostile) {
      const std::string path = MemberExtractionPath(folder, name, '\\');
      EXPECT_TRUE(path.starts_with("C:\\KESTRO\\Extract\\")) << path;
      EXPECT_EQ(path.find("\\\\", 3), std::string::npos) << path;
      EXPECT_TRUE(LiesInsideFolder(folder, path, '\\')) << path;
    }
  }
  EXPECT_EQ(MemberExtractionPath("C:\\X", "dir\\evil.exe", '\\'), "C:\\X\\dir\\evil.exe");
  EXPECT_EQ(MemberExtractionPath("/tmp/x", "dir\\evil.exe", '/'), "/tmp/x/dir/evil.exe");
  EXPECT_EQ(MemberExtractionPath("", "evil.exe", '\\'), "");
}

TEST(LiesInsideFolder, RejectsPathsThatCouldLeave) {
  const char* folder = "C:\\E";
  const char* outside[] = {"C:\\E",        "C:\\E\\",         "C:\\Ex\\a",     "C:\\E\\..\\a",
                           "C:\\E\\a\\..", "C:\\E\\a:b",      "C:\\E\\\\a",    "C:\\E\\a\\. ",
                           "C:\\E\\con",   "C:\\E\\a/../..\\b", "D:\\E\\a",    "C:\\E\\a\\"};
  for (const char* path : outside) EXPECT_FALSE(LiesInsideFolder(folder, path, '\\')) << path;
  EXPECT_TRUE(LiesInsideFolder(folder, "C:\\E\\a\\b.exe", '\\'));
  EXPECT_FALSE(LiesInsideFolder("", "\\a", '\\'));
}

}  // namespace
}  // namespace kestro::scan
