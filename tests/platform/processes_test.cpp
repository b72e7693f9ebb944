// The POSIX process list: every process of /proc with the target of its "exe"
// link, read when its turn comes; nothing is frozen or ended.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "platform/processes.hpp"
#include "tests/support/child_process.hpp"

namespace kestro::platform {
namespace {

std::map<std::uint32_t, ProcessEntry> Snapshot() {
  std::map<std::uint32_t, ProcessEntry> entries;
  NativeProcessList().ForEachProcess([&](const ProcessEntry& e) { entries[e.id] = e; });
  return entries;
}

TEST(PosixProcessList, ReportsOwnAndChildExecutables) {
  const auto program = test::OwnProgramFolder() / "kestro-test-sleeper";
  test::ChildProcess child(program, {"30"});
  ASSERT_TRUE(child.Started());
  const auto entries = Snapshot();
  const auto self = entries.find(static_cast<std::uint32_t>(getpid()));
  ASSERT_NE(self, entries.end());
  EXPECT_EQ(self->second.executable, std::filesystem::read_symlink("/proc/self/exe").string());
  const auto sleeper = entries.find(child.Id());
  ASSERT_NE(sleeper, entries.end());
  EXPECT_EQ(sleeper->second.executable, std::filesystem::canonical(program).string());
  EXPECT_FALSE(sleeper->second.accessDenied);
}

TEST(PosixProcessList, NeitherFreezesNorTerminates) {
  test::ChildProcess child(test::OwnProgramFolder() / "kestro-test-sleeper", {"30"});
  ASSERT_TRUE(child.Started());
  EXPECT_FALSE(NativeProcessFreezer().SetFrozen(child.Id(), true));
  EXPECT_EQ(NativeProcessTerminator().TerminateByFileName("/x/kestro-test-sleeper"), 0);
  EXPECT_FALSE(child.WaitForExit(100));
}

}  // namespace
}  // namespace kestro::platform
