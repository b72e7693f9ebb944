#pragma once
// What the program does with its command line once the main window is shown.

#include <optional>
#include <string>
#include <string_view>

namespace kestro::app {

enum class CommandLineAction {
  None,        // nothing (also "/u": the switch is case-sensitive)
  ScanFolder,  // characters 2 and 3 are ":\": scan that folder
  ShowUpdate,  // exactly "/U": bring the update page forward
};

CommandLineAction ClassifyCommandLine(std::wstring_view commandLine);

// The command line without the program's own name: the text after the first
// argument (quoted or not) and the blanks that follow it, as the shell passes a
// folder path (unquoted, possibly with blanks inside) to the program.
std::wstring ArgumentsOf(std::wstring_view fullCommandLine);

}  // namespace kestro::app

namespace kestro::app {

// A second copy of the program changes nothing: it hands a folder path or "/U"
// over to the running copy (which acts on it as on its own command line) and
// otherwise tells the user that the program already runs.
enum class SecondInstanceAction { HandOver, ShowAlreadyRunning };
SecondInstanceAction DecideSecondInstance(std::wstring_view commandLine);

inline constexpr std::wstring_view kAlreadyRunning = L"Already running on your system";

// The hand-over message's data: a tag, then the command line as UTF-16 LE text.
inline constexpr unsigned long kHandOverTag = 0x4B455354;  // "KEST"
inline constexpr std::size_t kMaxHandOverChars = 32767;

// The command line carried by a hand-over message, or nothing when the message
// is not one (wrong tag, odd or oversized length, empty).
std::optional<std::wstring> DecodeHandOver(unsigned long tag, const void* data, std::size_t bytes);

}  // namespace kestro::app
