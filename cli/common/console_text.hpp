#pragma once
// The console edge of the tools' output. The tools write UTF-8 text; where a
// stream is a Windows console, its text is handed to the console as UTF-16
// (WriteConsoleW), so every character shows whatever the console's code page,
// and the console's code page is never changed. Redirected output (a pipe, a
// file) stays UTF-8 bytes. On POSIX systems nothing changes.

#include <memory>
#include <ostream>
#include <streambuf>

namespace kestro::cli {

// Routes `stream` to the console when its handle (`standardHandle`: the number
// of stdout or stderr, 1 or 2) is one; the returned object restores the stream
// when destroyed. Null when the stream is left as it was.
std::unique_ptr<std::streambuf> AttachConsoleText(std::ostream& stream, int standardHandle);

}  // namespace kestro::cli
