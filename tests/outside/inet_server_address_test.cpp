#include "outside/KESTROInet/server_address.hpp"

#include <gtest/gtest.h>

namespace kestro::inet {
namespace {

TEST(ServerAddress, HostAndPortOfTheBaseUrl) {
  struct Case {
    const char* url;
    const char* host;
    std::uint16_t port;
  };
  const Case cases[] = {
      {"http://update.kestro-antivirus.example/", "update.kestro-antivirus.example", 80},
      {"http://127.0.0.1:8731/kestro/", "127.0.0.1", 8731},
      {"HTTPS://secure.example", "secure.example", 443},
      {"https://secure.example:8443?x=1", "secure.example", 8443},
      {"  http://user:pw@host.example:81/  ", "host.example", 81},
      {"http://[::1]:9000/", "::1", 9000},
      {"localhost:8080/path", "localhost", 8080},
      {"plainhost", "plainhost", 80},
  };
  for (const auto& c : cases) {
    const auto address = ParseServerAddress(c.url);
    ASSERT_TRUE(address.has_value()) << c.url;
    EXPECT_EQ(address->host, c.host) << c.url;
    EXPECT_EQ(address->port, c.port) << c.url;
  }
}

TEST(ServerAddress, RefusesWhatCannotBeReached) {
  for (const char* url : {"", "http://", "http:///path", "ftp://files.example/", "http://host:0/", "http://host:65536/",
                          "http://host:80a/", "http://host:123456/", "http://[::1/", "http://[::1]x/", "   "}) {
    EXPECT_FALSE(ParseServerAddress(url).has_value()) << url;
  }
}

}  // namespace
}  // namespace kestro::inet
