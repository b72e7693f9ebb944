#include "update/web_link.hpp"

namespace kestro::update {

std::optional<std::string> HelpMenuLink(std::string_view siteAddress, int item) {
  if (item < 0 || static_cast<std::size_t>(item) >= kHelpMenuPages.size()) return std::nullopt;
  return std::string(siteAddress) + std::string(kHelpMenuPages[static_cast<std::size_t>(item)]);
}

WebLinkOutcome OpenWebLinkWhenOnline(ConnectivityProbe& probe, const std::function<void()>& open,
                                     const std::function<void()>& notConnected) {
  if (probe.IsConnected()) {
    open();
    return WebLinkOutcome::Opened;
  }
  notConnected();
  return WebLinkOutcome::NotConnected;
}

}  // namespace kestro::update
