#pragma once
// Runs one of the built console tools and captures its standard output.

#include <string>
#include <vector>

namespace kestro::test {

struct ProgramResult {
  int exitCode = -1;
  std::string out;  // standard output; line ends normalised to "\n"
};

// Runs `tool` (a program name in the build's output folder, without extension)
// with the arguments; stderr is left alone.
ProgramResult RunTool(const std::string& tool, const std::vector<std::string>& args);

}  // namespace kestro::test
