#include "systools/system_information.hpp"

namespace kestro::systools {

std::wstring OperatingSystemLine(std::wstring_view caption, std::wstring_view csdVersion) {
  const std::wstring servicePack =
      csdVersion.empty() ? std::wstring{} : L"( " + std::wstring(csdVersion) + L" )";
  return std::wstring(caption) + L" " + servicePack;
}

std::wstring InformationLine(std::wstring_view value) {
  return L": " + std::wstring(value);
}

std::optional<bool> IsWindowsXPFromCaption(std::wstring_view caption) {
  if (caption.find(L"XP") != std::wstring_view::npos) return true;
  if (caption.find(L"7") != std::wstring_view::npos || caption.find(L"Vista") != std::wstring_view::npos)
    return false;
  return std::nullopt;
}

}  // namespace kestro::systools
