// Every console tool answers --version with the one product version (the
// CMake project VERSION), and its --help names the option.
#include <gtest/gtest.h>

#include <string>

#include "kestro_version.h"
#include "tests/support/run_program.hpp"

namespace kestro {
namespace {

TEST(ToolVersion, EveryToolPrintsTheProductVersion) {
  std::vector<std::string> tools = {"kestro-scan", "kestro-sigtool", "kestro-quarantine", "kestro-update"};
#ifdef _WIN32
  tools.push_back("kestro-repair");
#endif
  for (const std::string& tool : tools) {
    const auto version = test::RunTool(tool, {"--version"});
    EXPECT_EQ(version.exitCode, 0) << tool;
    EXPECT_EQ(version.out.rfind(tool + " (KESTRO Antivirus) " KESTRO_VERSION_TEXT, 0), 0u) << tool << ": " << version.out;
    const auto help = test::RunTool(tool, {"--help"});
    EXPECT_NE(help.out.find("--version"), std::string::npos) << tool;
  }
}

}  // namespace
}  // namespace kestro
