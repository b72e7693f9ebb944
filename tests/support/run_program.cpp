#include "tests/support/run_program.hpp"

#include <cstdint>
#include <cstdio>
#include <filesystem>
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

ProgramResult RunTool(const std::string& tool, const std::vector<std::string>& args, const RunOptions& options) {
  ProgramResult result;
  std::string redirections;
  std::filesystem::path inputFile;
  if (!options.input.empty()) {
    inputFile = std::filesystem::temp_directory_path() /
                ("kestro-input-" + std::to_string(reinterpret_cast<std::uintptr_t>(&result)) + ".txt");
    WriteFile(inputFile, options.input);
    redirections += " < " + Quote(inputFile.string());
  }
  if (options.withStderr) redirections += " 2>&1";
#ifdef _WIN32
  const std::string program = (OutputDir() / (tool + ".exe")).string();
  // cmd.exe strips the outer quotes of the whole line; wrap it once more.
  std::string command = "\"" + Quote(program);
  for (const auto& a : args) command += " " + Quote(a);
  command += redirections + "\"";
  FILE* pipe = _popen(command.c_str(), "rb");
#else
  std::string command = Quote((OutputDir() / tool).string());
  if (options.killAfterSeconds > 0) command = "timeout -s KILL " + std::to_string(options.killAfterSeconds) + " " + command;
  for (const auto& a : args) command += " " + Quote(a);
  command += redirections;
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
  if (!inputFile.empty()) {
    std::error_code ec;
    std::filesystem::remove(inputFile, ec);
  }
  return result;
}

}  // namespace kestro::test
