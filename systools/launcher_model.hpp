// The launcher row of the tools page: the virtual keyboard and five system
// tools, each opened by the user's click with the program's own rights.
#pragma once

#include <array>

namespace kestro::systools {

inline constexpr const wchar_t* kSystemPolicyKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

struct Launcher {
  const wchar_t* caption;
  const wchar_t* program;                  // nullptr: the virtual keyboard
  const wchar_t* folder;                   // start folder, nullptr for none
  std::array<const wchar_t*, 2> policies;  // current user's values under kSystemPolicyKey deleted first
};

// In the row's order (index 0 to 5).
inline constexpr std::array<Launcher, 6> kLaunchers = {{
    {L"Virtual Keyboard", nullptr, nullptr, {nullptr, nullptr}},
    {L"&Command Promp", L"cmd.exe", L"C:\\", {L"DisableCMD", nullptr}},
    {L"System Configuration", L"msconfig.exe", L"C:\\", {nullptr, nullptr}},
    {L"Task Manager", L"taskmgr.exe", L"C:\\", {L"DisableTaskmgr", nullptr}},
    {L"Registry Editor", L"regedit.exe", nullptr, {L"DisableRegistryTools", L"DisableRegedit"}},
    {L"Disk Cleanup", L"cleanmgr.exe", L"C:\\", {nullptr, nullptr}},
}};

}  // namespace kestro::systools
