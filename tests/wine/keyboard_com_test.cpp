// KESTROKeyboard.dll as the main program uses it: registered, created by its
// programmatic identifiers, called early-bound and late-bound. The keyboard
// window is shown modally while a second thread clicks its keys by message,
// reads the text box and closes the window.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "keyboard/keyboard_interfaces.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/wine/com_wine_support.hpp"

namespace kestro {
namespace {

using namespace keyboard;

const std::wstring kFrUtamaClsid = L"{26F63BA6-66A6-40F5-95BE-228A925C340D}";

// Registers the DLL from the build output for the whole program and removes the
// registration at the end.
class KeyboardComTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    dll_ = test::OutputDir() / "KESTROKeyboard.dll";
    library_ = new test::LoadedLibrary(dll_);
    registered_ = library_->get() != nullptr && library_->CallEntry("DllRegisterServer") == S_OK;
  }
  static void TearDownTestSuite() {
    CoFreeUnusedLibraries();
    if (library_ != nullptr && registered_) library_->CallEntry("DllUnregisterServer");
    delete library_;
    library_ = nullptr;
    CoUninitialize();
  }
  void SetUp() override { ASSERT_TRUE(registered_) << "DllRegisterServer failed for " << dll_.string(); }

  template <typename Interface>
  Interface* CreateByProgId(const wchar_t* progId, REFIID iid) {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << "ProgID not registered";
    Interface* object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object)), S_OK);
    return object;
  }

  static HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, VARIANT* result) {
    DISPID id = DISPID_UNKNOWN;
    auto* text = const_cast<LPOLESTR>(name);
    if (const HRESULT hr = object->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr)) {
      return hr;
    }
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
  }

  static VARIANT Short(short value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I2;
    V_I2(&v) = value;
    return v;
  }

  static inline std::filesystem::path dll_;
  static inline test::LoadedLibrary* library_ = nullptr;
  static inline bool registered_ = false;
};

TEST_F(KeyboardComTest, RegistrationNamesBothClasses) {
  EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, L"Virtual.frUtama\\CLSID", L""), kFrUtamaClsid);
  EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, L"Virtual.clsInfo\\CLSID", L""),
            L"{CE586F67-E7B5-4784-B999-D2D35D89A58D}");
  EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, L"CLSID\\" + kFrUtamaClsid + L"\\InprocServer32", L""),
            test::ShortPathOf(dll_));
  EXPECT_EQ(test::ReadRegistryString(HKEY_CLASSES_ROOT, L"CLSID\\" + kFrUtamaClsid + L"\\InprocServer32",
                                     L"ThreadingModel"),
            L"Apartment");

  // Removal takes both classes away; registering again restores them for the other tests.
  ASSERT_EQ(library_->CallEntry("DllUnregisterServer"), S_OK);
  EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"Virtual.frUtama"));
  EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"Virtual.clsInfo"));
  EXPECT_FALSE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + kFrUtamaClsid));
  EXPECT_TRUE(test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
  ASSERT_EQ(library_->CallEntry("DllRegisterServer"), S_OK);
}

TEST_F(KeyboardComTest, InfoValuesEarlyAndLateBound) {
  IClsInfo* info = CreateByProgId<IClsInfo>(L"Virtual.clsInfo", kIidClsInfo);
  ASSERT_NE(info, nullptr);
  const wchar_t* expected[] = {L" ( Beta )", L"KESTRO Antivirus - Ver. 3.4", L"3.4", L"KESTRO Antivirus",
                               L"29 September 2012", nullptr, L"6.08", L"6.7", L"6.2", L""};
  for (short n = 0; n < 10; ++n) {
    BSTR early = nullptr;
    ASSERT_EQ(info->GetAll(n, &early), S_OK);
    VARIANT late;
    VariantInit(&late);
    ASSERT_EQ(CallByName(info, L"GetAll", {Short(n)}, &late), S_OK);
    ASSERT_EQ(V_VT(&late), VT_BSTR);
    EXPECT_EQ(std::wstring(early, SysStringLen(early)), std::wstring(V_BSTR(&late), SysStringLen(V_BSTR(&late))));
    if (expected[n] != nullptr) {
      EXPECT_EQ(std::wstring(early, SysStringLen(early)), expected[n]) << n;
    } else {
      EXPECT_EQ(std::wstring(early, 4), L"http") << n;
    }
    SysFreeString(early);
    VariantClear(&late);
  }
  VARIANT_BOOL state = VARIANT_TRUE;
  EXPECT_EQ(info->GetState(&state), S_OK);
  EXPECT_EQ(state, VARIANT_FALSE);
  VARIANT answer;
  VariantInit(&answer);
  ASSERT_EQ(CallByName(info, L"setstate", {Short(-1)}, &answer), S_OK);  // names are not case-sensitive
  EXPECT_EQ(V_VT(&answer), VT_I2);
  EXPECT_EQ(V_I2(&answer), 0);
  EXPECT_EQ(info->GetState(&state), S_OK);
  EXPECT_EQ(state, VARIANT_TRUE);
  short stored = 5;
  EXPECT_EQ(info->SetState(1, &stored), S_OK);
  EXPECT_EQ(stored, 0);
  VariantInit(&answer);
  ASSERT_EQ(CallByName(info, L"GetState", {}, &answer), S_OK);
  EXPECT_EQ(V_VT(&answer), VT_BOOL);
  EXPECT_EQ(V_BOOL(&answer), VARIANT_FALSE);
  EXPECT_EQ(CallByName(info, L"NoSuchMethod", {}, nullptr), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(CallByName(info, L"GetAll", {}, nullptr), DISP_E_PARAMNOTOPTIONAL);
  info->Release();
}

// What the clicking thread saw, checked on the test's own thread afterwards.
struct Observation {
  std::string step;
  std::wstring seen;
  std::wstring expected;
};

std::wstring TextOf(HWND control) {
  wchar_t buffer[256] = {};
  SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer;
}

void Click(HWND window, int id) {
  SendMessageTimeoutW(GetDlgItem(window, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

std::vector<Observation> DriveKeyboard(HWND window) {
  std::vector<Observation> seen;
  HWND text = GetDlgItem(window, kIdText1);
  HWND info = GetDlgItem(window, kIdLblInfo);
  const auto letter = [](char c) { return kIdHurufBase + (c - 'a'); };
  const auto check = [&](const char* step, HWND control, const std::wstring& expected) {
    seen.push_back({step, TextOf(control), expected});
  };
  const auto visible = [&](const char* step, int id, bool expected) {
    const bool shown = IsWindowVisible(GetDlgItem(window, id)) != FALSE;
    seen.push_back({step, shown ? L"shown" : L"hidden", expected ? L"shown" : L"hidden"});
  };
  const struct {
    const char* step;
    std::vector<int> clicks;
    std::wstring text;
  } steps[] = {
      {"Backspace on empty text", {kIdDel}, L""},
      {"letters, Caps Lock off", {letter('k'), letter('e'), kIdHurufBase + 26}, L"ke "},
      {"letters, Caps Lock on", {kIdConBase + 0, letter('k')}, L"ke K"},
      {"Shift with 1 gives !", {kIdConBase + 1, kIdNumberBase + 0}, L"ke K!"},
      {"Caps Lock and Shift on: upper-case letter", {letter('a')}, L"ke K!A"},
      {"the ampersand key types one &", {kIdNumberBase + 6}, L"ke K!A&"},
      {"Shift released, Caps Lock off", {kIdCon1Base + 1, kIdCon1Base + 0, kIdNumberBase + 0, letter('a')},
       L"ke K!A&1a"},
      {"repeated letter then Backspace", {letter('a'), kIdDel}, L"ke K!A&1a"},
  };
  for (const auto& step : steps) {
    for (const int id : step.clicks) Click(window, id);
    check(step.step, text, step.text);
    if (std::string(step.step) == "Shift with 1 gives !") {
      check("Caps Lock indicator on", info, L"[ ON ]");
      check("shifted caption of key 1", GetDlgItem(window, kIdNumberBase + 0), L"!");
      visible("Caps Lock button hidden", kIdConBase + 0, false);
      visible("No Caps Lock button shown", kIdCon1Base + 0, true);
      visible("Shift release shown", kIdCon1Base + 1, true);
    }
  }
  check("Caps Lock indicator off", info, L"[ OFF ]");
  const LRESULT hand = SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(window, letter('q'))),
                                    MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  seen.push_back({"hand cursor over a key", hand ? L"handled" : L"default", L"handled"});
  return seen;
}

TEST_F(KeyboardComTest, ModalShowReturnsWhenTheWindowIsClosed) {
  char display[256] = {};
  if (GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0) {
    GTEST_SKIP() << "no display: the keyboard window needs an X server (run under xvfb-run)";
  }
  IDispatch* object = CreateByProgId<IDispatch>(L"Virtual.frUtama", IID_IDispatch);
  ASSERT_NE(object, nullptr);
  IFrUtama* form = nullptr;
  ASSERT_EQ(object->QueryInterface(kIidFrUtama, reinterpret_cast<void**>(&form)), S_OK);

  // The window exists, hidden, from creation on.
  HWND window = FindWindowW(kWindowClass, kWindowCaption);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  ASSERT_EQ(form->Hide(), S_OK);
  long cookie = 7;
  EXPECT_EQ(form->Advise(object, nullptr, &cookie), S_OK);
  EXPECT_EQ(cookie, 0);
  EXPECT_EQ(form->UnAdvise(cookie), S_OK);

  std::atomic<bool> closed{false};
  std::vector<Observation> observations;
  bool appeared = false;
  std::thread clicker([&] {
    appeared = test::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, std::chrono::seconds(15));
    if (appeared) observations = DriveKeyboard(window);
    closed = true;
    PostMessageW(window, WM_CLOSE, 0, 0);  // always, so Show returns even when a step failed
  });
  const HRESULT shown = CallByName(object, L"Show", {Short(1)}, nullptr);  // late-bound, modal
  const bool returnedAfterClose = closed.load();
  clicker.join();

  EXPECT_EQ(shown, S_OK);
  EXPECT_TRUE(appeared) << "the keyboard window was not shown";
  EXPECT_TRUE(returnedAfterClose) << "Show returned before the window was closed";
  EXPECT_FALSE(IsWindowVisible(window));
  for (const Observation& o : observations) EXPECT_EQ(o.seen, o.expected) << o.step;

  // Closing unloads: the next showing starts empty, with Caps Lock off.
  ASSERT_EQ(form->Show(0, nullptr), S_OK);  // early-bound, modeless
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(TextOf(GetDlgItem(window, kIdText1)), L"");
  EXPECT_EQ(TextOf(GetDlgItem(window, kIdLblInfo)), L"[ OFF ]");
  EXPECT_EQ(TextOf(GetDlgItem(window, kIdNumberBase + 0)), L"1");
  EXPECT_EQ(CallByName(object, L"Hide", {}, nullptr), S_OK);
  EXPECT_FALSE(IsWindowVisible(window));

  form->Release();
  object->Release();
  EXPECT_EQ(FindWindowW(kWindowClass, kWindowCaption), nullptr);  // the window goes with the object
}

}  // namespace
}  // namespace kestro
