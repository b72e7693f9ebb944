// The system information lines read once at start-up.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestro::systools {

// Caption + " " + "( " + service pack + " )" (the part in brackets only when
// the service pack text is not empty).
std::wstring OperatingSystemLine(std::wstring_view caption, std::wstring_view csdVersion);

// An information line: ": " + the value.
std::wstring InformationLine(std::wstring_view value);

// The IsWindowsXP rule: true when the caption contains "XP", false when it
// contains "7" or "Vista", otherwise no answer (the flag stays as it was).
std::optional<bool> IsWindowsXPFromCaption(std::wstring_view caption);

}  // namespace kestro::systools
