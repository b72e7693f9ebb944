// The web-link opener's rule and the help menu's addresses.
#include "update/web_link.hpp"

#include <gtest/gtest.h>

#include "tests/update/update_fakes.hpp"

namespace kestro::update {
namespace {

TEST(WebLink, HelpMenuAddresses) {
  const std::string site = "http://www.kestro-antivirus.example/";
  EXPECT_EQ(HelpMenuLink(site, 0), site + "p/contact_2187.html");
  EXPECT_EQ(HelpMenuLink(site, 1), site + "p/help.html");
  EXPECT_FALSE(HelpMenuLink(site, 2).has_value());
  EXPECT_FALSE(HelpMenuLink(site, -1).has_value());
}

TEST(WebLink, OpensOnlyWhenOnline) {
  test::FixedProbe probe;
  int opened = 0;
  int refused = 0;
  EXPECT_EQ(OpenWebLinkWhenOnline(
                probe, [&] { ++opened; }, [&] { ++refused; }),
            WebLinkOutcome::Opened);
  probe.connected = false;
  EXPECT_EQ(OpenWebLinkWhenOnline(
                probe, [&] { ++opened; }, [&] { ++refused; }),
            WebLinkOutcome::NotConnected);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(refused, 1);
}

}  // namespace
}  // namespace kestro::update
