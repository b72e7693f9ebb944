#pragma once
// The web-link opener's rule: a link opens only when the computer is online;
// otherwise the user is told so. Also the addresses the main window's header
// menu and "like" links pass to it.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "update/download.hpp"

namespace kestro::update {

// The header menu's items: 0 the contact page, 1 the help page, both under the
// product web site's address (SiteAddress).
inline constexpr std::array<std::string_view, 2> kHelpMenuPages = {"p/contact_2187.html", "p/help.html"};

// SiteAddress + the page of help menu item 0 or 1; nothing for another item.
std::optional<std::string> HelpMenuLink(std::string_view siteAddress, int item);

// The three social-network pages of the main window's "like" links.
inline constexpr std::array<std::string_view, 3> kLikeLinks = {
    "https://www.facebook.com/kestro.antivirus",
    "https://twitter.com/kestroantivirus",
    "https://www.youtube.com/@kestroantivirus",
};

enum class WebLinkOutcome { Opened, NotConnected };

// Calls `open` when the probe reports a connection, `notConnected` otherwise.
WebLinkOutcome OpenWebLinkWhenOnline(ConnectivityProbe& probe, const std::function<void()>& open,
                                     const std::function<void()>& notConnected);

}  // namespace kestro::update
