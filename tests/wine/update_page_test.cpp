// The update page under Wine, against a loopback HTTP server that serves a
// published update folder: out-of-date databases are replaced (or, when the
// server cuts one short, kept); a newer program is downloaded in the background
// with progress and completion, and an empty one raises the error and no offer.
#include "app/update_page/update_page.hpp"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "sigdb/database_loader.hpp"
#include "sigdb/database_writer.hpp"
#include "tests/support/own_dialog.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/update/http_test_server.hpp"
#include "update/publish.hpp"

namespace kestro::update_page {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const sigdb::Date kOldDate{std::chrono::year{2024}, std::chrono::month{1}, std::chrono::day{5}};
const std::wstring kTitle = L"KESTRO Antivirus";
const std::wstring kRule(25, L'-');

std::vector<std::uint8_t> Database(int kind, const std::string& tag, sigdb::Date date) {
  const std::vector<sigdb::SignatureRecord> records = {{"Test." + tag + ".A", "AB12" + std::to_string(kind)},
                                                       {"Test." + tag + ".B", "CD34" + std::to_string(kind)}};
  return sigdb::BuildDatabase(static_cast<sigdb::DatabaseKind>(kind), {tag + " databases", date}, records)
      .bytes;
}

// Runs the window messages of this thread until `done` answers true.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return done();
}

// Answers the next message box titled kTitle from another thread: records its
// text and presses `button`.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(int button) {
    thread_ = std::thread([this, button] {
      const auto end = Clock::now() + std::chrono::seconds(30);
      while (!stop_ && Clock::now() < end) {
        HWND box = test::FindOwnDialog(kTitle.c_str());
        if (box != nullptr) {
          wchar_t text[512] = {};
          GetDlgItemTextW(box, 0xFFFF, text, 512);
          text_ = text;
          hadYesNo_ = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr;
          SendMessageTimeoutW(GetDlgItem(box, button), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
          answered_ = true;
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  ~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  bool answered() const { return answered_; }
  std::wstring text() const { return answered_ ? text_ : std::wstring(); }
  bool hadYesNo() const { return hadYesNo_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  bool hadYesNo_ = false;
  std::wstring text_;
  std::thread thread_;
};

// Records the highest position and range the progress bar was given.
LRESULT CALLBACK WatchProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
  auto* seen = reinterpret_cast<std::pair<WPARAM, LPARAM>*>(data);
  if (message == PBM_SETPOS) seen->first = std::max(seen->first, wParam);
  if (message == PBM_SETRANGE32) seen->second = std::max(seen->second, lParam);
  return DefSubclassProc(window, message, wParam, lParam);
}

class UpdatePage : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(programFolder);
    fs::create_directories(appData);
    fs::create_directories(sources);
    for (int k = 0; k < 3; ++k) {
      oldSet.push_back(Database(k, "old", kOldDate));
      newSet.push_back(Database(k, "new", sigdb::LocalToday()));
      test::WriteFile(Installed(k), oldSet.back());
      test::WriteFile(sources / ("DB_" + std::to_string(k) + "x.avn"), newSet.back());
    }
    ASSERT_TRUE(server.ok());
  }
  void TearDown() override {
    if (parent != nullptr) DestroyWindow(parent);
  }

  fs::path Installed(int k) const { return programFolder / ("DB_" + std::to_string(k) + "x.avn"); }

  void Publish(const std::string& programBytes) {
    update::PublishRequest request;
    request.outFolder = site;
    request.version = "4.3";
    request.programFile = sources / "KESTRO-Setup.exe";
    test::WriteFile(*request.programFile, programBytes);
    for (int k = 0; k < 3; ++k)
      request.databases[static_cast<std::size_t>(k)] = sources / ("DB_" + std::to_string(k) + "x.avn");
    if (programBytes.empty()) {
      // The publisher refuses an empty program file; serve one anyway.
      request.programFile.reset();
      request.programUrl = "KESTRO-Setup.exe";
    }
    ASSERT_EQ(update::PublishUpdate(request).error, "");
    if (programBytes.empty()) test::WriteFile(site / "files" / "KESTRO-Setup.exe", "");
  }

  // The page in a visible top-level window, with the databases dated `date`.
  void OpenPage(std::optional<sigdb::Date> date, bool connected = true, bool giveValues = true) {
    values.DatabaseVersion = "installed";
    values.DatabaseDate = date;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UpdatePageTestFrame";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    // Visible only for screenshots: under Xvfb without a window manager, Wine
    // takes about two seconds to destroy a shown top-level window.
    const DWORD visible = std::getenv("KESTRO_SCREENSHOT_DIR") != nullptr ? WS_VISIBLE : 0;
    parent = CreateWindowExW(0, wc.lpszClassName, L"Update page test", WS_POPUP | visible, 0, 0, 640, 480,
                             nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(parent, nullptr);
    UpdatePageHost host{parent, kTitle, programFolder, {}, [this] { ++replacedCalls; }};
    host.serverBase = std::wstring(L"http://127.0.0.1:") + std::to_wstring(server.port()) + L"/files/";
    host.engineVersion = L"4.2";
    if (giveValues) host.databaseValues = &values;
    host.appDataFolder = appData;
    if (connected) host.connectivityProbe = [] { return true; };
    page = CreateUpdatePage(parent, host);
    ASSERT_NE(page, nullptr);
    MoveWindow(page, 0, 0, 640, 480, TRUE);
    ShowUpdate(page);
    UpdateWindow(parent);
    SetWindowSubclass(GetDlgItem(page, kIdProgress), WatchProgress, 1,
                      reinterpret_cast<DWORD_PTR>(&progressSeen));
  }

  void ClickUpdateNow() {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(kIdUpdateNow, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, kIdUpdateNow)));
  }

  std::wstring InfoText() const {
    HWND info = GetDlgItem(page, kIdInfo);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(info)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(info, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  // Saves the frame as a bitmap when KESTRO_SCREENSHOT_DIR is set.
  void Screenshot(const std::string& name) const {
    const char* folder = std::getenv("KESTRO_SCREENSHOT_DIR");
    if (folder == nullptr) return;
    RECT r{};
    GetClientRect(parent, &r);
    HDC screen = GetDC(parent);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, r.bottom, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PrintWindow(parent, memory, 0);
    BitBlt(memory, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    const DWORD stride = static_cast<DWORD>((r.right * 3 + 3) & ~3);
    const DWORD size = stride * static_cast<DWORD>(r.bottom);
    BITMAPFILEHEADER file{0x4D42,
                          static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0,
                          0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::ofstream out(fs::path(folder) / (name + ".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(parent, screen);
  }

  test::TempDir dir;
  fs::path programFolder = dir / "Program";
  fs::path appData = dir / "AppData";
  fs::path sources = dir / "sources";
  fs::path site = dir / "site";
  std::vector<std::vector<std::uint8_t>> oldSet;
  std::vector<std::vector<std::uint8_t>> newSet;
  test::HttpTestServer server{site};
  sigdb::DatabaseValues values;
  HWND parent = nullptr;
  HWND page = nullptr;
  int replacedCalls = 0;
  std::pair<WPARAM, LPARAM> progressSeen{0, 0};
};

TEST_F(UpdatePage, ReplacesOutOfDateDatabases) {
  Publish("MZ setup");
  OpenPage(kOldDate);
  ClickUpdateNow();
  EXPECT_EQ(InfoText(), L"Check for update\r\n" + kRule +
                            L"\r\n"
                            L"Update found !\r\n"
                            L"Downloading database update 1 ...  SUCCESS\r\n"
                            L"Downloading database update 2 ... \r\n SUCCESS\r\n"
                            L"Downloading database update 3 ... \r\n SUCCESS\r\n"
                            L"Update complete, please restart the program to take effect !\r\n");
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(test::ReadFile(Installed(k)), newSet[static_cast<std::size_t>(k)]) << k;
  EXPECT_EQ(replacedCalls, 1);
  EXPECT_FALSE(fs::exists(appData / "KESTRO.tmp"));
  Screenshot("update_page_databases");
}

TEST_F(UpdatePage, ADatabaseCutShortKeepsTheOldOnes) {
  Publish("MZ setup");
  server.CutShort("/files/DB_2x.avn", newSet[2].size() / 2);
  OpenPage(kOldDate);
  ClickUpdateNow();
  const std::wstring text = InfoText();
  EXPECT_NE(text.find(L"Downloading database update 3 ... \r\n FAILED: "), std::wstring::npos) << text;
  EXPECT_TRUE(text.ends_with(L"Update failed, your databases were not changed !\r\n")) << text;
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(test::ReadFile(Installed(k)), oldSet[static_cast<std::size_t>(k)]) << k;
  EXPECT_EQ(std::distance(fs::directory_iterator(programFolder), {}), 3);
  EXPECT_EQ(replacedCalls, 0);
  Screenshot("update_page_cut_short");
}

TEST_F(UpdatePage, DownloadsANewerProgramWithProgressAndOffersIt) {
  std::string installer = "MZ";
  for (int i = 0; installer.size() < 3 * 1024 * 1024; ++i)
    installer += "installer block " + std::to_string(i) + "\n";
  Publish(installer);
  OpenPage(sigdb::LocalToday());
  ClickUpdateNow();
  const std::wstring text = InfoText();
  EXPECT_NE(text.find(L"Your all KESTRO database already up to date !\r\n" + kRule +
                      L"\r\nUpdate found !\r\nDownloading program update ...  SUCCESS\r\n" + kRule +
                      L"KESTRO Antivirus 4.3"),
            std::wstring::npos)
      << text;
  Screenshot("update_page_program_found");

  MessageBoxAnswerer answer(IDNO);
  ASSERT_TRUE(PumpUntil([&] { return answer.answered() && InfoText() == L"Update complete !!\r\n"; }))
      << InfoText();
  EXPECT_EQ(answer.text(), L"Are you sure want to install new update ?");
  EXPECT_TRUE(answer.hadYesNo());
  EXPECT_EQ(test::ReadFile(programFolder / "UPDATE_43.exe"),
            std::vector<std::uint8_t>(installer.begin(), installer.end()));
  EXPECT_FALSE(fs::exists(programFolder / "UPDATE_43.exe.part"));
  // Progress was shown in bytes, up to the whole file.
  EXPECT_EQ(progressSeen.second, static_cast<LPARAM>(installer.size()));
  EXPECT_GT(progressSeen.first, 0u);
  EXPECT_EQ(SendMessageW(GetDlgItem(page, kIdProgress), PBM_GETPOS, 0, 0), 0);
}

TEST_F(UpdatePage, AnEmptyProgramFileRaisesTheErrorAndNoOffer) {
  Publish("");
  OpenPage(sigdb::LocalToday());
  ClickUpdateNow();
  EXPECT_NE(InfoText().find(L"Downloading program update ...  SUCCESS"), std::wstring::npos) << InfoText();
  ASSERT_TRUE(PumpUntil([&] { return InfoText().starts_with(L"Error Download ..."); })) << InfoText();
  EXPECT_EQ(InfoText(), L"Error Download ...\r\nthe server sent no data");
  // Nothing more arrives: no question, no file.
  PumpUntil([] { return false; }, std::chrono::milliseconds(500));
  EXPECT_EQ(test::FindOwnDialog(kTitle.c_str()), nullptr);
  EXPECT_FALSE(fs::exists(programFolder / "UPDATE_43.exe"));
  EXPECT_FALSE(fs::exists(programFolder / "UPDATE_43.exe.part"));
  Screenshot("update_page_empty_program");
}

TEST_F(UpdatePage, WithoutValuesFromTheHostThePageReadsTheInstalledHeader) {
  Publish("MZ setup");
  OpenPage(sigdb::LocalToday(), true, false);  // the installed DB_0x.avn is of 2024
  ClickUpdateNow();
  EXPECT_NE(InfoText().find(L"Update found !\r\nDownloading database update 1 ...  SUCCESS"),
            std::wstring::npos)
      << InfoText();
}

TEST_F(UpdatePage, WithoutTheConnectivityLibraryTheComputerCountsAsOffline) {
  Publish("MZ setup");
  OpenPage(kOldDate, false);
  ClickUpdateNow();
  EXPECT_EQ(InfoText(), L"Error !\r\n" + kRule + L"\r\nYour computer is not connected to Internet.\r\n");
  EXPECT_TRUE(server.Requests().empty());
  for (int k = 0; k < 3; ++k) EXPECT_EQ(test::ReadFile(Installed(k)), oldSet[static_cast<std::size_t>(k)]);
}

TEST(WebLink, OfflineShowsNotConnected) {
  // No KESTROInet.dll beside the test program: the probe reports no connection.
  MessageBoxAnswerer answer(IDOK);
  OpenWebLink(nullptr, kTitle, L"http://www.kestro-antivirus.example/p/help.html");
  EXPECT_TRUE(answer.answered());
  EXPECT_EQ(answer.text(), L"Not Connected\r\nYour computer is not connected to Internet");
}

TEST(WebLink, UpdateServerAddressComesFromTheRegistryWhenSet) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\KESTRO", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegDeleteValueW(key, L"UpdateServer");
  const std::wstring builtIn = UpdateServerAddress();
  EXPECT_FALSE(builtIn.empty());
  const std::wstring mine = L"http://127.0.0.1:9/files/";
  RegSetValueExW(key, L"UpdateServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(mine.c_str()),
                 static_cast<DWORD>((mine.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(UpdateServerAddress(), mine);
  RegDeleteValueW(key, L"UpdateServer");
  RegCloseKey(key);
  EXPECT_EQ(UpdateServerAddress(), builtIn);
}

}  // namespace
}  // namespace kestro::update_page
