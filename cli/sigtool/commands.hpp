#pragma once
// The sub-commands of kestro-sigtool. Each lives in its own source file and is
// listed once in the table in main.cpp.

#include <string>
#include <string_view>
#include <vector>

namespace kestro::sigtool {

using Args = std::vector<std::string>;

struct Command {
  std::string_view name;
  std::string_view usage;    // one line: "crc FILE..."
  std::string_view summary;  // what it does, for --help
  int (*run)(const Args& args);  // args after the command name; returns the exit status
};

// Exit statuses shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFound = 1;  // `check`: at least one hit
inline constexpr int kExitError = 2;

int RunCrc(const Args& args);
int RunHead(const Args& args);
int RunIcon(const Args& args);
int RunBuild(const Args& args);
int RunDump(const Args& args);
int RunCheck(const Args& args);
int RunPublish(const Args& args);

}  // namespace kestro::sigtool
