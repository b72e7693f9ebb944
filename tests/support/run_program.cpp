#include "tests/support/run_program.hpp"

#include <cstdio>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace {

std::string Quote(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
#endif
}

}  // namespace

ProgramResult RunTool(const std::string& tool, const std::vector<std::string>& args) {
  ProgramResult result;
#ifdef _WIN32
  const std::string program = (OutputDir() / (tool + ".exe")).string();
  // cmd.exe strips the outer quotes of the whole line; wrap it once more.
  std::string command = "\"" + Quote(program);
  for (const auto& a : args) command += " " + Quote(a);
  command += "\"";
  FILE* pipe = _popen(command.c_str(), "rb");
#else
  std::string command = Quote((OutputDir() / tool).string());
  for (const auto& a : args) command += " " + Quote(a);
  FILE* pipe = popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    for (std::size_t i = 0; i < n; ++i) {
      if (buffer[i] != '\r') result.out.push_back(buffer[i]);
    }
  }
#ifdef _WIN32
  result.exitCode = _pclose(pipe);
#else
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return result;
}

}  // namespace kestro::test
