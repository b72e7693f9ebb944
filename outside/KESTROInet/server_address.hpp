#pragma once
// The update server's address as the connectivity probe uses it: the host and
// port of a base URL such as "http://updates.example.com:8080/kestro/".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::inet {

struct ServerAddress {
  std::string host;
  std::uint16_t port = 80;
  bool operator==(const ServerAddress&) const = default;
};

// Accepts "http://" and "https://" URLs (ports 80 and 443 unless one is given)
// and a bare "host[:port][/path]". A bracketed IPv6 host is taken without its
// brackets. Nothing for an empty host, a bad port or another scheme.
std::optional<ServerAddress> ParseServerAddress(std::string_view url);

}  // namespace kestro::inet
