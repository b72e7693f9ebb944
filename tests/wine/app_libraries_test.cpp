// The program's outside libraries and its registration routine, under Wine.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/component_registration.hpp"
#include "app/win32/file_version.hpp"
#include "app/win32/pictures.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro {
namespace {

constexpr const wchar_t* kKeyPath = L"Software\\KESTRO";

TEST(PictureLibrary, CarriesEveryPictureTheProgramLoads) {
  struct Picture {
    int id;
    int width, height;
  };
  const Picture pictures[] = {
      {KESTRO_PICTURE_MAIN_BACKGROUND, 818, 611}, {KESTRO_PICTURE_SPLASH_BACKGROUND, 480, 320},
      {KESTRO_PICTURE_HEADER_BUTTONS, 96, 64},    {KESTRO_PICTURE_NAVIGATION, 144, 72},
      {KESTRO_PICTURE_PRODUCT_LOGO, 128, 128},    {KESTRO_PICTURE_PROTECTED, 96, 96},
      {KESTRO_PICTURE_NOT_PROTECTED, 96, 96},     {KESTRO_PICTURE_OPTION_ON, 44, 24},
      {KESTRO_PICTURE_OPTION_OFF, 44, 24},        {KESTRO_PICTURE_OPTION_ON_HOVER, 44, 24},
      {KESTRO_PICTURE_OPTION_OFF_HOVER, 44, 24},
  };
  for (const auto& p : pictures) {
    bool missing = false;
    HBITMAP bitmap = app::LoadPictureDLL(test::OutputDir(), p.id, missing);
    ASSERT_FALSE(missing);
    ASSERT_NE(bitmap, nullptr) << p.id;
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, p.width) << p.id;
    EXPECT_EQ(info.bmHeight, p.height) << p.id;
    DeleteObject(bitmap);
  }
  bool missing = false;
  EXPECT_EQ(app::LoadPictureDLL(test::OutputDir(), 3, missing), nullptr);  // no such picture
  EXPECT_FALSE(missing);
  test::TempDir empty;
  EXPECT_EQ(app::LoadPictureDLL(empty.path(), 1, missing), nullptr);
  EXPECT_TRUE(missing);
}

TEST(PictureLibrary, StartUpLoadsThemAllOrReportsTheLibraryMissing) {
  app::Pictures pictures;
  EXPECT_EQ(app::LoadStartupPictures(test::OutputDir(), pictures), app::PictureLoad::Loaded);
  test::TempDir empty;
  app::Pictures none;
  EXPECT_EQ(app::LoadStartupPictures(empty.path(), none), app::PictureLoad::LibraryMissing);
}

TEST(OutsideLibraries, VersionResources) {
  EXPECT_EQ(app::FileVersionText(test::OutputDir() / L"KESTROGui.dll"), L"1.0.0.3");
  EXPECT_EQ(app::FileVersionText(test::OutputDir() / L"KESTROInet.dll"), L"1.0.0.2");
  EXPECT_EQ(app::FileVersionText(test::OutputDir() / L"KESTROEngine.dll"), L"9.05.0013");
  EXPECT_EQ(app::FileVersionText(test::OutputDir() / L"DB_0x.avn"), L"");
}

// Cek_Lin against a server on this machine: -1 while it listens, 0 once it is gone.
class ConnectivityProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    library_ = LoadLibraryW((test::OutputDir() / L"KESTROInet.dll").c_str());
    ASSERT_NE(library_, nullptr);
    probe_ = reinterpret_cast<Probe>(reinterpret_cast<void*>(GetProcAddress(library_, "Cek_Lin")));
    ASSERT_NE(probe_, nullptr);
  }
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"UpdateServer");
    if (library_ != nullptr) FreeLibrary(library_);
    WSACleanup();
  }
  void PointAt(const std::wstring& url) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"UpdateServer", REG_SZ, url.c_str(),
                    static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
  }
  short Probe1() {
    int reserved = 0;
    return probe_(&reserved);
  }

  using Probe = short(WINAPI*)(int*);
  HMODULE library_ = nullptr;
  Probe probe_ = nullptr;
};

TEST_F(ConnectivityProbe, ConnectedOnlyWhileTheUpdateServerAcceptsConnections) {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(listener, INVALID_SOCKET);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  int length = sizeof(address);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/kestro/";

  PointAt(url);
  EXPECT_EQ(Probe1(), -1);
  closesocket(listener);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(Probe1(), 0);
  EXPECT_LT(GetTickCount64() - start, 5000u);  // a refused connection is not waited for
  PointAt(L"not a server ://");
  EXPECT_EQ(Probe1(), 0);
}

TEST(RegisterComponentOnWindows, RunsTheEntryPointOrSkipsALibraryWithoutOne) {
  using app::RegistrationOutcome;
  auto& loader = app::NativeComponentLoader();
  const auto out = test::OutputDir();
  EXPECT_EQ(app::RunRegistration(out / L"KESTROGui.dll", false, loader), RegistrationOutcome::NoEntryPoint);
  EXPECT_EQ(app::RunRegistration(out / L"DB_0x.avn", false, loader), RegistrationOutcome::NotLoadable);
  EXPECT_EQ(app::RunRegistration(out / L"absent.dll", false, loader), RegistrationOutcome::Missing);
  EXPECT_EQ(app::RunRegistration(out / L"KESTROKeyboard.dll", false, loader), RegistrationOutcome::Done);
  // The library was unloaded again after its entry point returned.
  EXPECT_EQ(GetModuleHandleW((out / L"KESTROKeyboard.dll").c_str()), nullptr);
  EXPECT_EQ(GetModuleHandleW((out / L"KESTROGui.dll").c_str()), nullptr);
}

}  // namespace
}  // namespace kestro
