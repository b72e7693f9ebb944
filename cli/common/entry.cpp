#include "cli/common/entry.hpp"

#include <iostream>

#include "cli/common/console_text.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestro::cli {

#ifdef _WIN32
namespace {
std::string ToUtf8(const wchar_t* wide) {
  const int needed = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 1) return {};
  std::string text(static_cast<std::size_t>(needed - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), needed, nullptr, nullptr);
  return text;
}
}  // namespace

std::filesystem::path ExecutableFolder() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  return std::filesystem::path(buffer).parent_path();
}
#else
std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : self.parent_path();
}
#endif

}  // namespace kestro::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // UTF-8 inside; a console gets UTF-16, a pipe or file UTF-8 (console_text.hpp).
  const auto out = kestro::cli::AttachConsoleText(std::cout, 1);
  const auto err = kestro::cli::AttachConsoleText(std::cerr, 2);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(kestro::cli::ToUtf8(argv[i]));
  const int status = kestro::cli::ToolMain(args);
  std::cout.flush();
  std::cerr.flush();
  return status;
}
#else
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kestro::cli::ToolMain(args);
}
#endif
