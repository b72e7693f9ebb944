#pragma once
// Runs one of the built console tools and captures its standard output.

#include <string>
#include <vector>

namespace kestro::test {

struct ProgramResult {
  int exitCode = -1;
  std::string out;  // standard output; line ends normalised to "\n"
};

struct RunOptions {
  std::string input;            // standard input (empty: none)
  bool withStderr = false;      // standard error joins `out`
  int killAfterSeconds = 0;     // POSIX: a program still running then is killed (exit 137)
};

// Runs `tool` (a program name in the build's output folder, without extension)
// with the arguments; stderr is left alone unless asked for.
ProgramResult RunTool(const std::string& tool, const std::vector<std::string>& args, const RunOptions& options = {});

}  // namespace kestro::test
