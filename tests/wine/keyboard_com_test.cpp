// KESTROKeyboard.dll as the main program uses it: registered, created by its
// programmatic identifiers, called early-bound and late-bound. The keyboard
// window is shown modally while a second thread clicks its keys by message,
// reads the text box and closes the window. Also: Show with an owner window (and
// with owners that are no usable window), and Advise/UnAdvise called by name.
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

  static HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, VARIANT* result,
                            UINT* badArgument = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    auto* text = const_cast<LPOLESTR>(name);
    if (const HRESULT hr = object->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr)) {
      return hr;
    }
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, badArgument);
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

// Under Wine a click sent from another thread while the window is still being shown
// can be lost: the first key is clicked again until it shows in the text box.
bool ClickUntilTyped(HWND window, int id, const std::wstring& expected) {
  return test::WaitFor(
      [&] {
        Click(window, id);
        return TextOf(GetDlgItem(window, kIdText1)) == expected;
      },
      std::chrono::seconds(10));
}

int Letter(char c) { return kIdHurufBase + (c - 'a'); }

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
  // Wait until the window takes clicks, then start from an empty box again.
  seen.push_back({"keyboard takes clicks", ClickUntilTyped(window, letter('q'), L"q") ? L"yes" : L"no", L"yes"});
  Click(window, kIdDel);
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

// A plain visible top-level window on the test's thread, to pass as the owner.
class OwnerWindow {
 public:
  OwnerWindow() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"KESTRO.TestOwner";
    RegisterClassExW(&cls);  // already registered by an earlier owner: fine
    window_ = CreateWindowExW(0, cls.lpszClassName, L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                              nullptr, nullptr, cls.hInstance, nullptr);
    button_ = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE, 4, 4, 60, 24, window_, nullptr,
                              cls.hInstance, nullptr);
  }
  ~OwnerWindow() { Destroy(); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  HWND get() const { return window_; }
  HWND button() const { return button_; }
  void Destroy() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }

 private:
  HWND window_ = nullptr;
  HWND button_ = nullptr;
};

// Window handles carry 32 significant bits: scripts and the main program pass them
// as 32-bit integers.
VARIANT HandleI4(HWND window) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = static_cast<LONG>(reinterpret_cast<INT_PTR>(window));
  return v;
}

VARIANT HandleI8(HWND window) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I8;
  V_I8(&v) = reinterpret_cast<INT_PTR>(window);
  return v;
}

VARIANT IntRef(LONG* value) {  // a variable passed by reference, as Visual Basic passes one
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_I4;
  V_I4REF(&v) = value;
  return v;
}

VARIANT Object(IDispatch* object) {  // borrowed: not released with the VARIANT
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;
  return v;
}

// Owns its string: the VARIANT is cleared at the end of the scope.
class TextArgument {
 public:
  explicit TextArgument(const wchar_t* text) {
    VariantInit(&value_);
    V_VT(&value_) = VT_BSTR;
    V_BSTR(&value_) = SysAllocString(text);
  }
  ~TextArgument() { VariantClear(&value_); }
  TextArgument(const TextArgument&) = delete;
  TextArgument& operator=(const TextArgument&) = delete;
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

bool HaveDisplay() {
  char display[256] = {};
  return GetEnvironmentVariableA("DISPLAY", display, sizeof display) != 0;
}

// A handle that names no window: one that existed and was destroyed.
HWND StaleHandle() {
  OwnerWindow gone;
  return gone.get();
}

// The form object as both interfaces, released at the end of the scope.
struct Form {
  Form() = default;
  ~Form() {
    if (form != nullptr) form->Release();
    if (object != nullptr) object->Release();
  }
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Takes the created object and asks it for its own interface; the window it
  // made, or null when any step failed.
  HWND Open(IDispatch* created) {
    object = created;
    if (object == nullptr || object->QueryInterface(kIidFrUtama, reinterpret_cast<void**>(&form)) != S_OK) {
      return nullptr;
    }
    return FindWindowW(kWindowClass, kWindowCaption);
  }

  IDispatch* object = nullptr;
  IFrUtama* form = nullptr;
};

TEST_F(KeyboardComTest, ShowWithAnOwnerWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display: the keyboard window needs an X server (run under xvfb-run)";
  Form f;
  HWND window = f.Open(CreateByProgId<IDispatch>(L"Virtual.frUtama", IID_IDispatch));
  ASSERT_NE(window, nullptr);
  OwnerWindow owner;
  ASSERT_NE(owner.get(), nullptr);

  // Modeless, with the handle in each form a caller may hand it over, early- and
  // late-bound; showing again without an owner leaves the window unowned.
  LONG ownerValue = static_cast<LONG>(reinterpret_cast<INT_PTR>(owner.get()));
  const struct {
    const char* form;
    VARIANT value;
  } handles[] = {{"32-bit integer", HandleI4(owner.get())},
                 {"64-bit integer", HandleI8(owner.get())},
                 {"32-bit integer by reference", IntRef(&ownerValue)}};
  for (const auto& handle : handles) {
    VARIANT value = handle.value;
    EXPECT_EQ(f.form->Show(0, &value), S_OK) << handle.form;
    EXPECT_TRUE(IsWindowVisible(window)) << handle.form;
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner.get()) << handle.form;
    ASSERT_EQ(f.form->Show(0, nullptr), S_OK);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << handle.form;
    EXPECT_EQ(CallByName(f.object, L"Show", {Short(0), handle.value}, nullptr), S_OK) << handle.form;
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner.get()) << handle.form << ", late-bound";
    EXPECT_EQ(CallByName(f.object, L"Show", {Short(0)}, nullptr), S_OK);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << handle.form << ", late-bound";
  }
  ASSERT_EQ(f.form->Hide(), S_OK);

  // Modal with an owner, late-bound as a script would call it: the owner takes no
  // input while the keyboard is up and is usable again once it is closed.
  std::atomic<bool> closed{false};
  bool appeared = false;
  HWND ownerSeen = nullptr;
  bool ownerEnabledWhileModal = true;
  bool typed = false;
  std::thread clicker([&] {
    appeared = test::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, std::chrono::seconds(15));
    if (appeared) {
      ownerSeen = GetWindow(window, GW_OWNER);
      ownerEnabledWhileModal = IsWindowEnabled(owner.get()) != FALSE;
      typed = ClickUntilTyped(window, Letter('o'), L"o");
      Click(window, Letter('k'));
      typed = typed && TextOf(GetDlgItem(window, kIdText1)) == L"ok";
    }
    closed = true;
    PostMessageW(window, WM_CLOSE, 0, 0);  // always, so Show returns even when a step failed
  });
  const HRESULT shown = CallByName(f.object, L"Show", {Short(1), HandleI4(owner.get())}, nullptr);
  const bool returnedAfterClose = closed.load();
  clicker.join();
  EXPECT_EQ(shown, S_OK);
  EXPECT_TRUE(appeared) << "the keyboard window was not shown";
  EXPECT_TRUE(returnedAfterClose) << "Show returned before the window was closed";
  EXPECT_EQ(ownerSeen, owner.get());
  EXPECT_FALSE(ownerEnabledWhileModal) << "the owner took input while the keyboard was modal";
  EXPECT_TRUE(typed) << "the keys did not type while the keyboard was modal";
  EXPECT_TRUE(IsWindowEnabled(owner.get())) << "the owner stayed disabled after the keyboard closed";
  EXPECT_FALSE(IsWindowVisible(window));

  // Closing the owner takes the owned keyboard window with it (a rule of the window
  // system); the object then makes a new one, from the load state, on the next Show.
  VARIANT value = HandleI4(owner.get());
  ASSERT_EQ(f.form->Show(0, &value), S_OK);
  Click(window, Letter('x'));
  owner.Destroy();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(f.form->Show(0, nullptr), S_OK) << "the keyboard is unusable once its owner has gone";
  window = FindWindowW(kWindowClass, kWindowCaption);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(window, kIdText1)), L"");
  EXPECT_EQ(TextOf(GetDlgItem(window, kIdLblInfo)), L"[ OFF ]");
}

TEST_F(KeyboardComTest, ShowWithOwnersThatAreNoUsableWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display: the keyboard window needs an X server (run under xvfb-run)";
  Form f;
  HWND window = f.Open(CreateByProgId<IDispatch>(L"Virtual.frUtama", IID_IDispatch));
  ASSERT_NE(window, nullptr);
  OwnerWindow owner;

  // Handles that name no window, or the keyboard itself (an owner loop), are refused
  // and nothing is shown, modeless or modal, early- or late-bound.
  const struct {
    const char* owner;
    HWND handle;
  } refused[] = {{"destroyed window", StaleHandle()},
                 {"made-up handle", reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ffe1234))},
                 {"the keyboard window", window},
                 {"a key of the keyboard", GetDlgItem(window, kIdDel)}};
  for (const auto& r : refused) {
    for (const short style : {short{0}, short{1}}) {
      VARIANT value = HandleI4(r.handle);
      // A modal Show that wrongly shows the window must not hang the test.
      std::atomic<bool> returned{false};
      std::thread watchdog([&] {
        if (test::WaitFor([&] { return returned.load() || IsWindowVisible(window) != FALSE; },
                          std::chrono::seconds(10)) &&
            !returned.load()) {
          PostMessageW(window, WM_CLOSE, 0, 0);
        }
      });
      const HRESULT early = f.form->Show(style, &value);
      returned = true;
      watchdog.join();
      EXPECT_EQ(early, E_INVALIDARG) << r.owner << ", style " << style;
      EXPECT_FALSE(IsWindowVisible(window)) << r.owner << ", style " << style;
    }
    EXPECT_EQ(CallByName(f.object, L"Show", {Short(0), HandleI4(r.handle)}, nullptr), E_INVALIDARG) << r.owner;
    EXPECT_FALSE(IsWindowVisible(window)) << r.owner;
  }

  // Late-bound, an owner that is no number is a type mismatch on that argument.
  TextArgument text(L"owner");
  UINT badArgument = 99;
  EXPECT_EQ(CallByName(f.object, L"Show", {Short(0), text.get()}, nullptr, &badArgument), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(badArgument, 0u);  // rgvarg holds the arguments last first: the owner is slot 0
  EXPECT_FALSE(IsWindowVisible(window));

  // Early-bound, anything that is no number means no owner; a control stands for
  // its top-level window and the desktop for no owner. Each starts from a real owner.
  VARIANT none;
  VariantInit(&none);
  V_VT(&none) = VT_NULL;
  const struct {
    const char* owner;
    VARIANT value;
    HWND expected;
  } accepted[] = {{"text", text.get(), nullptr},
                  {"null", none, nullptr},
                  {"an object", Object(f.object), nullptr},
                  {"a control of the owner", HandleI4(owner.button()), owner.get()},
                  {"the desktop", HandleI4(GetDesktopWindow()), nullptr}};
  for (const auto& a : accepted) {
    VARIANT real = HandleI4(owner.get());
    ASSERT_EQ(f.form->Show(0, &real), S_OK);
    VARIANT value = a.value;
    EXPECT_EQ(f.form->Show(0, &value), S_OK) << a.owner;
    EXPECT_TRUE(IsWindowVisible(window)) << a.owner;
    EXPECT_EQ(GetWindow(window, GW_OWNER), a.expected) << a.owner;
  }
  EXPECT_EQ(f.form->Hide(), S_OK);
}

// An event sink that counts how the keyboard uses it. It lives on the test's stack,
// so its count is checked instead of deleting it at zero.
class CountingSink final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidFrUtamaEvents)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    ++calls;
    return S_OK;
  }

  long refs = 1;  // the test's own reference
  int calls = 0;
};

TEST_F(KeyboardComTest, AdviseAndUnAdviseLateBound) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display: the keyboard window needs an X server (run under xvfb-run)";
  CountingSink first;
  CountingSink second;
  {
    Form f;
    f.object = CreateByProgId<IDispatch>(L"Virtual.frUtama", IID_IDispatch);
    ASSERT_NE(f.object, nullptr);
    HWND window = FindWindowW(kWindowClass, kWindowCaption);
    ASSERT_NE(window, nullptr);
    TextArgument notification(L"KESTRO");

    // Advise stores the sink and answers cookie 0 as the call's result.
    VARIANT cookie;
    VariantInit(&cookie);
    ASSERT_EQ(CallByName(f.object, L"Advise", {Object(&first), notification.get()}, &cookie), S_OK);
    EXPECT_EQ(V_VT(&cookie), VT_I4);
    EXPECT_EQ(V_I4(&cookie), 0);
    EXPECT_EQ(first.refs, 2) << "the sink is not held";

    // Keys pressed on the shown keyboard raise no events: the window never calls the sink.
    ASSERT_EQ(CallByName(f.object, L"Show", {Short(0)}, nullptr), S_OK);
    for (const int id : {Letter('h'), Letter('i'), kIdConBase + 0, Letter('a'), kIdConBase + 1, kIdNumberBase + 0,
                         kIdDel, kIdCon1Base + 1, kIdCon1Base + 0}) {
      Click(window, id);
    }
    EXPECT_EQ(TextOf(GetDlgItem(window, kIdText1)), L"hiA");
    EXPECT_EQ(first.calls, 0);

    // A second Advise replaces the first sink and lets it go.
    VARIANT again;
    VariantInit(&again);
    ASSERT_EQ(CallByName(f.object, L"advise", {Object(&second), notification.get()}, &again), S_OK);
    EXPECT_EQ(V_I4(&again), 0);
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 2);

    // Refused calls leave the stored sink alone and take no other: a third, by-reference
    // cookie argument (the cookie is the result), a sink that is no object, no text.
    LONG outCookie = 77;
    const struct {
      const char* call;
      std::vector<VARIANT> args;
      HRESULT expected;
    } refused[] = {{"out cookie by reference", {Object(&first), notification.get(), IntRef(&outCookie)},
                    DISP_E_BADPARAMCOUNT},
                   {"number as sink", {Short(5), notification.get()}, DISP_E_TYPEMISMATCH},
                   {"text missing", {Object(&first)}, DISP_E_PARAMNOTOPTIONAL}};
    for (const auto& r : refused) {
      EXPECT_EQ(CallByName(f.object, L"Advise", r.args, nullptr), r.expected) << r.call;
      EXPECT_EQ(first.refs, 1) << r.call;
      EXPECT_EQ(second.refs, 2) << r.call;
    }
    EXPECT_EQ(outCookie, 77);

    // UnAdvise by the returned cookie (a variable passed by reference) drops the sink;
    // later keys reach neither sink.
    LONG returned = V_I4(&again);
    EXPECT_EQ(CallByName(f.object, L"UnAdvise", {IntRef(&returned)}, nullptr), S_OK);
    EXPECT_EQ(second.refs, 1);
    Click(window, Letter('z'));
    EXPECT_EQ(TextOf(GetDlgItem(window, kIdText1)), L"hiAz");
    EXPECT_EQ(first.calls + second.calls, 0);

    // Any cookie is accepted: there is only one sink, and UnAdvise drops it.
    EXPECT_EQ(CallByName(f.object, L"UnAdvise", {HandleI4(reinterpret_cast<HWND>(static_cast<INT_PTR>(42)))}, nullptr),
              S_OK);
    ASSERT_EQ(CallByName(f.object, L"Advise", {Object(&first), notification.get()}, nullptr), S_OK);
    EXPECT_EQ(first.refs, 2);
    EXPECT_EQ(CallByName(f.object, L"UnAdvise", {HandleI4(reinterpret_cast<HWND>(static_cast<INT_PTR>(42)))}, nullptr),
              S_OK);
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(CallByName(f.object, L"UnAdvise", {}, nullptr), DISP_E_PARAMNOTOPTIONAL);

    // A sink still stored when the object goes is let go with it.
    ASSERT_EQ(CallByName(f.object, L"Advise", {Object(&second), notification.get()}, nullptr), S_OK);
    EXPECT_EQ(second.refs, 2);
  }
  EXPECT_EQ(second.refs, 1) << "the object kept its sink after it was released";
  EXPECT_EQ(first.refs, 1);
  EXPECT_EQ(first.calls + second.calls, 0);
}

}  // namespace
}  // namespace kestro
