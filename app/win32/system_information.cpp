#include "app/win32/system_information.hpp"

#include "systools/win32/tools_panels.hpp"

namespace kestro::app {

std::optional<SystemLines> QuerySystemLines() {
  const auto info = systools::QuerySystemInformation();
  if (!info.ok) return std::nullopt;
  return SystemLines{info.osCaption, info.osVersionLine, info.processorLine};
}

}  // namespace kestro::app
