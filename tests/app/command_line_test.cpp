#include "app/command_line.hpp"

#include <gtest/gtest.h>

namespace kestro::app {
namespace {

TEST(CommandLine, Classification) {
  struct Case {
    const wchar_t* text;
    CommandLineAction action;
  };
  const Case cases[] = {
      {L"C:\\data", CommandLineAction::ScanFolder},
      {L"D:\\", CommandLineAction::ScanFolder},
      {L"x:\\My Folder\\sub", CommandLineAction::ScanFolder},
      {L"/U", CommandLineAction::ShowUpdate},
      {L"/u", CommandLineAction::None},  // the switch is case-sensitive
      {L"/U ", CommandLineAction::None},
      {L"", CommandLineAction::None},
      {L"C:", CommandLineAction::None},
      {L"\\\\server\\share", CommandLineAction::None},
      {L"C:/data", CommandLineAction::None},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyCommandLine(c.text), c.action) << c.text;
}

TEST(CommandLine, ArgumentsFollowTheProgramName) {
  EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\KESTRO\\KESTRO Antivirus.exe\" C:\\My Folder"), L"C:\\My Folder");
  EXPECT_EQ(ArgumentsOf(L"kestro.exe /U"), L"/U");
  EXPECT_EQ(ArgumentsOf(L"  \"a b.exe\"   /u"), L"/u");
  EXPECT_EQ(ArgumentsOf(L"\"C:\\KESTRO Antivirus.exe\""), L"");
  EXPECT_EQ(ArgumentsOf(L"\"unterminated"), L"");
  EXPECT_EQ(ArgumentsOf(L""), L"");
}

}  // namespace
}  // namespace kestro::app

namespace kestro::app {
namespace {

TEST(SecondInstance, HandsOverAFolderOrTheUpdateSwitchAndOtherwiseSaysItRuns) {
  EXPECT_EQ(DecideSecondInstance(L"C:\\data"), SecondInstanceAction::HandOver);
  EXPECT_EQ(DecideSecondInstance(L"/U"), SecondInstanceAction::HandOver);
  EXPECT_EQ(DecideSecondInstance(L"/u"), SecondInstanceAction::ShowAlreadyRunning);
  EXPECT_EQ(DecideSecondInstance(L""), SecondInstanceAction::ShowAlreadyRunning);
}

TEST(SecondInstance, HandOverMessages) {
  const std::u16string path = u"D:\\My Files \u00E9";
  const std::wstring expected = L"D:\\My Files \u00E9";
  EXPECT_EQ(DecodeHandOver(kHandOverTag, path.c_str(), path.size() * 2), expected);
  EXPECT_EQ(DecodeHandOver(kHandOverTag, path.c_str(), (path.size() + 1) * 2), expected);  // with its NUL
  EXPECT_FALSE(DecodeHandOver(kHandOverTag + 1, path.c_str(), path.size() * 2));
  EXPECT_FALSE(DecodeHandOver(kHandOverTag, path.c_str(), 3));  // half a character
  EXPECT_FALSE(DecodeHandOver(kHandOverTag, nullptr, 4));
  EXPECT_FALSE(DecodeHandOver(kHandOverTag, path.c_str(), 0));
  const std::u16string nul(1, u'\0');
  EXPECT_FALSE(DecodeHandOver(kHandOverTag, nul.c_str(), 2));
  const std::u16string huge(kMaxHandOverChars + 1, u'a');
  EXPECT_FALSE(DecodeHandOver(kHandOverTag, huge.c_str(), huge.size() * 2));
  EXPECT_TRUE(DecodeHandOver(kHandOverTag, huge.c_str(), (huge.size() - 1) * 2));
}

}  // namespace
}  // namespace kestro::app
