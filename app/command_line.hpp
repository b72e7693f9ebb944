#pragma once
// What the program does with its command line once the main window is shown.

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
