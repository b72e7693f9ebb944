// The Wine prefix the Windows tests run in is set up as Windows 7 (6.1), so that
// any version check in the program sees what a Windows 7 machine reports, and the
// build targets the Windows 7 API level, so that a call Windows 7 lacks fails to
// compile.
#include <windows.h>

#include <gtest/gtest.h>

static_assert(_WIN32_WINNT == 0x0601, "Windows targets are built for the Windows 7 API level");
static_assert(WINVER == 0x0601, "Windows targets are built for the Windows 7 API level");

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

TEST(WindowsVersion, PrefixReportsWindows7) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  ASSERT_NE(ntdll, nullptr);
  // RtlGetVersion answers the true version, unaffected by compatibility manifests.
  auto getVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  ASSERT_NE(getVersion, nullptr);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_EQ(getVersion(&info), 0);
  EXPECT_EQ(info.dwMajorVersion, 6u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
}

}  // namespace
