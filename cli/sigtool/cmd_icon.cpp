// `icon`: the icon value of executables, the text a database author puts in
// DB_2x; `icon --bmp OUT.bmp FILE` writes the rendered canvas so a person can
// look at what the value was taken from.
#include <fstream>
#include <iostream>

#include "icon/icon_extract.hpp"
#include "icon/icon_render.hpp"
#include "io/mdl_pe.hpp"
#include "cli/common/entry.hpp"
#include "cli/common/named_file.hpp"
#include "cli/sigtool/commands.hpp"

namespace kestro::sigtool {
namespace {

constexpr const char* kUsage = "usage: kestro-sigtool icon FILE... | icon --bmp OUT.bmp FILE";

// Renders the first icon of the file; false (with a message) when it cannot be read.
bool Render(const std::string& arg, checks::IconRendering& out) {
  const auto path = cli::PathFromArg(arg);
  const std::int32_t handle = checks::mdlPE::OpenForChecking(path);
  if (handle <= 0) {
    const std::string problem = cli::NotARegularFile(path);
    std::cerr << "kestro-sigtool icon: cannot open " << cli::DisplayText(arg)
              << (problem.empty() ? "" : ": " + problem) << "\n";
    return false;
  }
  checks::HandleReader reader(handle);
  out = checks::RenderFirstIcon(reader);
  checks::mdlPE::CloseFile(handle);
  if (out.status == checks::IconStatus::Malformed) {
    std::cerr << "kestro-sigtool icon: malformed icon resources in " << cli::DisplayText(arg) << "\n";
    return false;
  }
  return true;
}

int WriteBitmap(const std::string& outArg, const std::string& fileArg) {
  checks::IconRendering rendering;
  if (!Render(fileArg, rendering)) return kExitError;
  if (rendering.status != checks::IconStatus::Found) {
    std::cerr << "kestro-sigtool icon: " << cli::DisplayText(fileArg) << " shows no icon\n";
    return kExitError;
  }
  std::ofstream out(cli::PathFromArg(outArg), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(rendering.bitmap.data()),
            static_cast<std::streamsize>(rendering.bitmap.size()));
  out.close();
  if (!out) {
    std::cerr << "kestro-sigtool icon: cannot write " << outArg << "\n";
    return kExitError;
  }
  return kExitOk;
}

}  // namespace

int RunIcon(const Args& args) {
  if (!args.empty() && args[0] == "--bmp") {
    if (args.size() != 3) {
      std::cerr << "kestro-sigtool icon: --bmp takes an output file and one input file (" << kUsage << ")\n";
      return kExitError;
    }
    return WriteBitmap(args[1], args[2]);
  }
  if (args.empty()) {
    std::cerr << "kestro-sigtool icon: no file given (" << kUsage << ")\n";
    return kExitError;
  }
  int status = kExitOk;
  for (const std::string& arg : args) {
    checks::IconRendering rendering;
    std::string value;
    if (!Render(arg, rendering)) {
      status = kExitError;
    } else if (rendering.status == checks::IconStatus::Found) {
      value = checks::IconValueOfBitmap(rendering.bitmap).value_or("");
    }
    // A file without an icon prints an empty value, as the check sees it.
    std::cout << value << ' ' << cli::DisplayText(arg) << '\n';
  }
  return status;
}

}  // namespace kestro::sigtool
