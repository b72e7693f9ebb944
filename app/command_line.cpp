#include "app/command_line.hpp"

namespace kestro::app {

CommandLineAction ClassifyCommandLine(std::wstring_view commandLine) {
  if (commandLine.size() >= 3 && commandLine.substr(1, 2) == L":\\") return CommandLineAction::ScanFolder;
  if (commandLine == L"/U") return CommandLineAction::ShowUpdate;
  return CommandLineAction::None;
}

std::wstring ArgumentsOf(std::wstring_view fullCommandLine) {
  std::size_t i = 0;
  while (i < fullCommandLine.size() && (fullCommandLine[i] == L' ' || fullCommandLine[i] == L'\t')) ++i;
  if (i < fullCommandLine.size() && fullCommandLine[i] == L'"') {
    const std::size_t close = fullCommandLine.find(L'"', i + 1);
    i = close == std::wstring_view::npos ? fullCommandLine.size() : close + 1;
  } else {
    while (i < fullCommandLine.size() && fullCommandLine[i] != L' ' && fullCommandLine[i] != L'\t') ++i;
  }
  while (i < fullCommandLine.size() && (fullCommandLine[i] == L' ' || fullCommandLine[i] == L'\t')) ++i;
  return std::wstring(fullCommandLine.substr(i));
}

}  // namespace kestro::app
