// Text the console tools write reaches a Windows console as characters (any
// script, the console's code page untouched) and a pipe as UTF-8 bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "cli/common/console_text.hpp"

namespace kestro::cli {
namespace {

// Points standard output at `handle` for the test's length.
class StandardOutput {
 public:
  explicit StandardOutput(HANDLE handle) : saved_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    SetStdHandle(STD_OUTPUT_HANDLE, handle);
  }
  ~StandardOutput() { SetStdHandle(STD_OUTPUT_HANDLE, saved_); }

 private:
  HANDLE saved_;
};

std::wstring ConsoleRow(HANDLE console, SHORT row, DWORD length) {
  std::wstring text(length, L'\0');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(console, text.data(), length, COORD{0, row}, &read);
  text.resize(read);
  return text;
}

TEST(ConsoleText, AConsoleShowsEveryCharacterAndKeepsItsCodePage) {
  // The process's console, made when it has none; the text goes to a screen
  // buffer of the test's own, so nothing shows on a terminal.
  bool made = AllocConsole() != 0;
  if (!made) {
    // Attached to a console that cannot be written (Wine without a terminal):
    // leave it and make one.
    FreeConsole();
    made = AllocConsole() != 0;
  }
  HANDLE console = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (console == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no console here (error " << GetLastError() << ")";
  const UINT codePage = GetConsoleOutputCP();
  std::ostringstream original;
  std::ostream stream(original.rdbuf());
  {
    StandardOutput out(console);
    const auto attached = AttachConsoleText(stream, 1);
    ASSERT_NE(attached, nullptr);
    // A character split across two writes arrives whole.
    stream << "\xC3";
    stream.flush();
    stream << "\xBC" "ber \xCE\xA9mega \xD0\x96\n" << std::flush;
  }
  EXPECT_EQ(original.str(), "");  // nothing went to the stream's own buffer
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
  EXPECT_EQ(ConsoleRow(console, static_cast<SHORT>(info.dwCursorPosition.Y - 1), 12), L"\u00FCber \u03A9mega \u0416");
  EXPECT_EQ(GetConsoleOutputCP(), codePage);
  CloseHandle(console);
  if (made) FreeConsole();
}

TEST(ConsoleText, APipeKeepsTheBytes) {
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  std::ostringstream original;
  {
    StandardOutput out(writeEnd);
    EXPECT_EQ(AttachConsoleText(original, 1), nullptr);
  }
  CloseHandle(readEnd);
  CloseHandle(writeEnd);
}

}  // namespace
}  // namespace kestro::cli
