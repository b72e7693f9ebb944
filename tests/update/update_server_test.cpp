// The update server address: the registry value before the build's default.
#include "update/update_server.hpp"

#include <gtest/gtest.h>

#include "platform/memory_registry.hpp"

namespace kestro::update {
namespace {

TEST(UpdateServer, TheRegistryValueOverridesTheBuildDefault) {
  platform::MemoryRegistry registry;
  EXPECT_EQ(ConfiguredUpdateServer(registry), DefaultUpdateServer());
  EXPECT_FALSE(DefaultUpdateServer().empty());

  registry.SetText(platform::RegistryRoot::CurrentUser, "Software\\KESTRO", "UpdateServer",
                   "http://127.0.0.1:8080/files/");
  EXPECT_EQ(ConfiguredUpdateServer(registry), "http://127.0.0.1:8080/files/");

  // An empty text or a value of another type leaves the default.
  registry.SetText(platform::RegistryRoot::CurrentUser, "Software\\KESTRO", "UpdateServer", "");
  EXPECT_EQ(ConfiguredUpdateServer(registry), DefaultUpdateServer());
  registry.SetNumber(platform::RegistryRoot::CurrentUser, "Software\\KESTRO", "UpdateServer", 1);
  EXPECT_EQ(ConfiguredUpdateServer(registry), DefaultUpdateServer());
}

}  // namespace
}  // namespace kestro::update
