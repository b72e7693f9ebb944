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

namespace kestro::app {

SecondInstanceAction DecideSecondInstance(std::wstring_view commandLine) {
  return ClassifyCommandLine(commandLine) == CommandLineAction::None ? SecondInstanceAction::ShowAlreadyRunning
                                                                      : SecondInstanceAction::HandOver;
}

std::optional<std::wstring> DecodeHandOver(unsigned long tag, const void* data, std::size_t bytes) {
  if (tag != kHandOverTag || data == nullptr || bytes == 0 || bytes % 2 != 0 || bytes > kMaxHandOverChars * 2) {
    return std::nullopt;
  }
  // UTF-16 code units, little-endian, as the Windows sender writes them.
  const auto* units = static_cast<const unsigned char*>(data);
  std::wstring text(bytes / 2, L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(units[2 * i] | (units[2 * i + 1] << 8));
  }
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace kestro::app
