// The real registry behind platform::RegistryAccess keeps the same contract as
// the in-memory registry the native tests use.
#include <gtest/gtest.h>

#include "platform/registry.hpp"
#include "tests/platform/registry_contract.hpp"

namespace kestro {
namespace {

TEST(Win32RegistryTest, KeepsTheRegistryContract) {
  test::CheckRegistryContract(platform::NativeRegistry(), platform::RegistryRoot::CurrentUser,
                              "Software\\KESTRO Tests\\Contract");
  platform::NativeRegistry().DeleteTree(platform::RegistryRoot::CurrentUser, "Software\\KESTRO Tests");
}

}  // namespace
}  // namespace kestro
