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
