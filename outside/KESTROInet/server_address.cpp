#include "outside/KESTROInet/server_address.hpp"

#include <cctype>

namespace kestro::inet {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<ServerAddress> ParseServerAddress(std::string_view url) {
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.front()))) url.remove_prefix(1);
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.back()))) url.remove_suffix(1);
  ServerAddress address;
  if (StartsWithNoCase(url, "http://")) {
    url.remove_prefix(7);
  } else if (StartsWithNoCase(url, "https://")) {
    url.remove_prefix(8);
    address.port = 443;
  } else if (url.find("://") != std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t end = url.find_first_of("/?#");
  std::string_view authority = url.substr(0, end);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);

  std::string_view host = authority;
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    const std::string_view rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
    }
  } else if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.empty()) return std::nullopt;
  if (!port.empty()) {
    if (port.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (const char c : port) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    address.port = static_cast<std::uint16_t>(value);
  }
  address.host = std::string(host);
  return address;
}

}  // namespace kestro::inet
