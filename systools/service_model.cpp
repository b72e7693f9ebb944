#include "systools/service_model.hpp"

namespace kestro::systools {

std::wstring ServiceStateText(std::uint32_t currentState) {
  switch (currentState) {
    case 1:
      return L"STOPPED";
    case 4:
      return L"RUNNING";
    case 7:
      return L"PAUSED";
    default:
      return {};
  }
}

std::wstring CutText(std::wstring_view text, std::size_t limit) {
  const std::size_t nul = text.find(L'\0');
  if (nul != std::wstring_view::npos) text = text.substr(0, nul);
  return std::wstring(text.substr(0, limit));
}

ServiceRecord MakeServiceRecord(std::wstring_view serviceName, std::wstring_view displayName,
                                std::uint32_t currentState, std::wstring_view executablePath) {
  return {CutText(serviceName, 250), CutText(executablePath, 255), CutText(displayName, 250),
          ServiceStateText(currentState)};
}

std::optional<ServiceMenuState> ServiceMenuStateFor(std::wstring_view stateText) {
  if (stateText == L"RUNNING") return ServiceMenuState{false, true};
  if (stateText == L"STOPPED" || stateText == L"PAUSED") return ServiceMenuState{true, false};
  return std::nullopt;
}

std::wstring UninstallQuestion(std::wstring_view serviceName) {
  return L"Are you sure want to uninstall " + std::wstring(serviceName) + L" service ?";
}

std::wstring EnumerationSizeErrorText(std::uint32_t error) {
  return L"LastDLLError = " + std::to_wstring(error);
}

std::wstring EnumerationErrorText(std::uint32_t error) {
  return L"EnumServicesStatus failed. LastDllError = " + std::to_wstring(error);
}

}  // namespace kestro::systools
