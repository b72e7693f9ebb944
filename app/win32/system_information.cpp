#include "app/win32/system_information.hpp"

#if __has_include("systools/win32/tools_panels.hpp")
#include "systools/win32/tools_panels.hpp"
#define KESTRO_HAVE_SYSTOOLS 1
#endif

namespace kestro::app {

std::optional<SystemLines> QuerySystemLines() {
#ifdef KESTRO_HAVE_SYSTOOLS
  const auto info = systools::QuerySystemInformation();
  if (!info.ok) return std::nullopt;
  return SystemLines{info.osCaption, info.osVersionLine, info.processorLine};
#else
  return std::nullopt;
#endif
}

}  // namespace kestro::app
