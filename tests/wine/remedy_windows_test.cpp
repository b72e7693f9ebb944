// Remediation behaviour that only Windows shows: attributes of the quarantine
// folder, the Greek letter in the note's name, deletion of read-only hidden
// system files, and process termination through a Tool Help snapshot.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/file_ops.hpp"
#include "platform/processes.hpp"
#include "platform/quarantine_location.hpp"
#include "remedy/delete_routine.hpp"
#include "remedy/quarantine_store.hpp"
#include "tests/support/remedy_fakes.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::remedy {
namespace {

std::filesystem::path OwnExecutable() {
  wchar_t buffer[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return buffer;
}

TEST(RemedyWindows, QuarantineFolderIsHiddenSystemWithTheDeltaNote) {
  test::TempDir dir;
  test::RecordingMessages messages;
  test::RecordingTerminator processes;
  RemedyContext context{platform::NativeFileOps(), processes, messages, "KESTRO Antivirus"};
  QuarantineStore store(dir / "[ KESTRO ]", context, nullptr);
  ASSERT_TRUE(store.PrepareFolder());
  const DWORD attributes = GetFileAttributesW((dir / "[ KESTRO ]").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_SYSTEM);
  const std::wstring note = (dir / "[ KESTRO ]").wstring() + L"\\KE\u0394TRO.txt";
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(note.c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_EQ(std::wstring(found.cFileName), L"KE\u0394TRO.txt");
}

TEST(RemedyWindows, DefaultQuarantineFolderIsOnTheWindowsDrive) {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(platform::DefaultQuarantineFolder().wstring(), std::wstring(windows, 3) + L"[ KESTRO ]");
}

TEST(RemedyWindows, ReadOnlyHiddenSystemFileGoesOnTheFirstDirectAttempt) {
  test::TempDir dir;
  test::WriteFile(dir / "locked.exe", "MZ");
  SetFileAttributesW((dir / "locked.exe").c_str(),
                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  test::FakeRemedy fake;
  EXPECT_TRUE(DeleteRoutine(fake.context).Delete(dir / "locked.exe"));
  EXPECT_EQ(fake.files.forcedAttempts, 0);
  EXPECT_EQ(GetFileAttributesW((dir / "locked.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(RemedyWindows, ListingSeesHiddenEntriesAndTreeDeleteRemovesThem) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "extract" / "sub");
  test::WriteFile(dir / "extract" / "sub" / "h.exe", "x");
  SetFileAttributesW((dir / "extract" / "sub" / "h.exe").c_str(),
                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW((dir / "extract" / "sub").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(platform::NativeFileOps().ListFolder(dir / "extract" / "sub").size(), 1u);
  test::FakeRemedy fake;
  DeleteRoutine(fake.context).DeleteFolderTree(dir / "extract");
  EXPECT_EQ(GetFileAttributesW((dir / "extract").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(RemedyWindows, TreeDeleteRemovesReparsePointsWithoutFollowingThem) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "outside");
  test::WriteFile(dir / "outside" / "precious.doc", "keep me");
  std::filesystem::create_directories(dir / "extract");
  const auto link = dir / "extract" / "link";
  if (!CreateSymbolicLinkW(link.c_str(), (dir / "outside").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    GTEST_SKIP() << "no folder links here (error " << GetLastError() << ")";
  }
  ASSERT_TRUE(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  test::FakeRemedy fake;
  DeleteRoutine(fake.context).DeleteFolderTree(dir / "extract");
  EXPECT_EQ(GetFileAttributesW((dir / "extract").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(test::ReadFile(dir / "outside" / "precious.doc").size(), 7u);
}

// Run as a separate process by the termination test: waits to be ended.
TEST(RemedyWindows, DISABLED_Sleeper) { std::this_thread::sleep_for(std::chrono::seconds(60)); }

TEST(RemedyWindows, ToolHelpTerminationEndsEveryProcessOfTheNameButNotTheCaller) {
  test::TempDir dir;
  const auto sleeper = dir / "kestro-sleeper.exe";
  ASSERT_TRUE(CopyFileW(OwnExecutable().c_str(), sleeper.c_str(), FALSE));
  std::vector<PROCESS_INFORMATION> started;
  for (int i = 0; i < 2; ++i) {
    std::wstring command = L"\"" + sleeper.wstring() +
                           L"\" --gtest_filter=RemedyWindows.DISABLED_Sleeper --gtest_also_run_disabled_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                               &startup, &info));
    started.push_back(info);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // Another path with the same file name, in another letter case.
  const int ended = platform::NativeProcessTerminator().TerminateByFileName(L"C:\\elsewhere\\KESTRO-SLEEPER.EXE");
  EXPECT_EQ(ended, 2);
  for (const PROCESS_INFORMATION& info : started) {
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  // The caller is never ended, even when its own name is given.
  EXPECT_EQ(platform::NativeProcessTerminator().TerminateByFileName(OwnExecutable()), 0);
}

}  // namespace
}  // namespace kestro::remedy
