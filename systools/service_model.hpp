// The service list's rows and the rules of its pop-up menu.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::systools {

// "STOPPED" (1), "RUNNING" (4), "PAUSED" (7); empty for the pending states.
std::wstring ServiceStateText(std::uint32_t currentState);

struct ServiceRecord {
  std::wstring serviceName;     // at most 250 characters
  std::wstring executablePath;  // at most 255 characters; empty when the configuration cannot be read
  std::wstring displayName;     // at most 250 characters
  std::wstring stateText;
};

// A record from the service manager's texts: each cut at its first NUL and at
// its length limit.
ServiceRecord MakeServiceRecord(std::wstring_view serviceName, std::wstring_view displayName,
                                std::uint32_t currentState, std::wstring_view executablePath);

// Start and Stop items as the selected row's state text sets them: "RUNNING"
// disables Start and enables Stop, "STOPPED" and "PAUSED" the reverse; any
// other text leaves both as they were (no value).
struct ServiceMenuState {
  bool startEnabled;
  bool stopEnabled;
};
std::optional<ServiceMenuState> ServiceMenuStateFor(std::wstring_view stateText);

// The pop-up menu "&Service": Start, Stop, separator, Uninstall (the default item).
enum class ServiceMenuItem { Start = 0, Stop = 1, Uninstall = 3 };

std::wstring UninstallQuestion(std::wstring_view serviceName);
std::wstring EnumerationSizeErrorText(std::uint32_t error);  // the first enumeration call failed
std::wstring EnumerationErrorText(std::uint32_t error);      // the second one failed

// Text up to its first NUL, at most `limit` characters.
std::wstring CutText(std::wstring_view text, std::size_t limit);

}  // namespace kestro::systools
