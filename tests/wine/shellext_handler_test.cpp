// The context-menu handler of KESTROExtc.dll driven as Explorer drives it, with a
// data object of our own carrying the selected folders. InvokeCommand starts a
// stand-in "KESTRO Antivirus.exe" placed beside a copy of the DLL, which records
// its command line.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.hpp"
#include "tests/wine/com_wine_support.hpp"

namespace kestro {
namespace {

const CLSID kClsid = {0x956D4D60, 0xCC93, 0x4106, {0x85, 0x08, 0x22, 0xC7, 0x30, 0x04, 0x9D, 0xEE}};

// A data object that offers only the file-drop format, as the shell's does.
class FileDropData final : public IDataObject {
 public:
  explicit FileDropData(std::vector<std::wstring> names, bool refuse = false)
      : names_(std::move(names)), refuse_(refuse) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the test's stack

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (refuse_ || format->cfFormat != CF_HDROP || (format->tymed & TYMED_HGLOBAL) == 0) return DV_E_FORMATETC;
    std::size_t chars = 1;
    for (const auto& name : names_) chars += name.size() + 1;
    const std::size_t bytes = sizeof(DROPFILES) + chars * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory == nullptr) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const auto& name : names_) {
      name.copy(text, name.size());
      text += name.size() + 1;
    }
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<std::wstring> names_;
  bool refuse_;
  ULONG refs_ = 1;
};

class ShellExtHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    folder_ = temp_.path() / "KESTRO Program";
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(test::OutputDir() / "KESTROExtc.dll", folder_ / "KESTROExtc.dll");
    std::filesystem::copy_file(test::TestProgramFolder() / "kestro_standin_antivirus.exe",
                               folder_ / "KESTRO Antivirus.exe");
    library_ = std::make_unique<test::LoadedLibrary>(folder_ / "KESTROExtc.dll");
    ASSERT_NE(library_->get(), nullptr);
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get = library_->Find<GetClassObject>("DllGetClassObject");
    ASSERT_NE(get, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(get(kClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init_)), S_OK);
    factory->Release();
    ASSERT_EQ(init_->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu_)), S_OK);
  }
  void TearDown() override {
    if (menu_ != nullptr) menu_->Release();
    if (init_ != nullptr) init_->Release();
    library_.reset();
    CoUninitialize();
  }

  HRESULT InitializeWith(const std::vector<std::wstring>& names) {
    FileDropData data(names);
    return init_->Initialize(nullptr, &data, nullptr);
  }

  HRESULT Invoke(const char* verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return menu_->InvokeCommand(&info);
  }

  // The stand-in's records: one file per start.
  std::vector<std::string> Records() const {
    std::vector<std::string> records;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("invoked-", 0) == 0 && entry.path().extension() == ".txt") {
        const auto bytes = test::ReadFile(entry.path());
        records.emplace_back(bytes.begin(), bytes.end());
      }
    }
    return records;
  }

  test::TempDir temp_;
  std::filesystem::path folder_;
  std::unique_ptr<test::LoadedLibrary> library_;
  IShellExtInit* init_ = nullptr;
  IContextMenu* menu_ = nullptr;
};

TEST_F(ShellExtHandlerTest, ModuleEntryPointsAndLockCount) {
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  const auto get = library_->Find<GetClassObject>("DllGetClassObject");
  void* object = nullptr;
  EXPECT_EQ(get(IID_IUnknown, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(library_->CallEntry("DllCanUnloadNow"), S_FALSE);  // the handler is alive
  menu_->Release();
  menu_ = nullptr;
  init_->Release();
  init_ = nullptr;
  EXPECT_EQ(library_->CallEntry("DllCanUnloadNow"), S_OK);
}

TEST_F(ShellExtHandlerTest, InitializeTakesTheFirstNameOrRefuses) {
  EXPECT_EQ(InitializeWith({L"C:\\Data"}), S_OK);
  EXPECT_EQ(InitializeWith({L"C:\\One", L"C:\\Two Words", L"D:\\"}), S_OK);
  EXPECT_EQ(InitializeWith({}), E_INVALIDARG);
  FileDropData refusing({L"C:\\Data"}, true);
  EXPECT_EQ(init_->Initialize(nullptr, &refusing, nullptr), E_INVALIDARG);
  EXPECT_EQ(init_->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
  // A name that does not fit the 260-unit buffer is refused, not cut short.
  EXPECT_EQ(InitializeWith({L"C:\\" + std::wstring(300, L'a')}), E_INVALIDARG);
}

TEST_F(ShellExtHandlerTest, QueryContextMenuAddsOneItemWithTheMenuColouredPicture) {
  ASSERT_EQ(InitializeWith({L"C:\\Data"}), S_OK);
  HMENU menu = CreatePopupMenu();
  ASSERT_NE(menu, nullptr);
  AppendMenuW(menu, MF_STRING, 1, L"Open");

  EXPECT_EQ(menu_->QueryContextMenu(menu, 0, 100, 200, CMF_DEFAULTONLY), S_OK);
  EXPECT_EQ(GetMenuItemCount(menu), 1);

  EXPECT_EQ(menu_->QueryContextMenu(menu, 0, 100, 200, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1));
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  wchar_t text[64] = {};
  GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Scan with KESTRO Antivirus");
  EXPECT_EQ(GetMenuItemID(menu, 0), 100u);

  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_CHECKMARKS;
  ASSERT_TRUE(GetMenuItemInfoW(menu, 100, FALSE, &item));
  ASSERT_NE(item.hbmpChecked, nullptr);
  EXPECT_EQ(item.hbmpChecked, item.hbmpUnchecked);
  BITMAP info{};
  ASSERT_NE(GetObjectW(item.hbmpChecked, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 16);
  EXPECT_EQ(info.bmBitsPixel, 24);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, item.hbmpChecked);
  const COLORREF menuColour = GetSysColor(COLOR_MENU);
  EXPECT_EQ(GetPixel(dc, 0, 0), menuColour);      // the key colour became the menu colour
  EXPECT_EQ(GetPixel(dc, 15, 0), menuColour);
  EXPECT_NE(GetPixel(dc, 6, 1), menuColour);      // the drawing itself stays
  SelectObject(dc, old);
  DeleteDC(dc);
  DestroyMenu(menu);
}

TEST_F(ShellExtHandlerTest, GetCommandStringKinds) {
  const std::string help = "This is the KESTRO Shell Extension's help";
  const std::wstring wideHelp(help.begin(), help.end());
  const struct {
    UINT kind;
    HRESULT result;
    bool wide;
  } cases[] = {{GCS_VERBA, E_INVALIDARG, false},    {GCS_HELPTEXTA, S_OK, false}, {GCS_VALIDATEA, E_INVALIDARG, false},
               {3, S_OK, false},                    {GCS_VERBW, S_OK, true},      {GCS_HELPTEXTW, S_OK, true},
               {GCS_VALIDATEW, S_OK, true}};
  for (const auto& c : cases) {
    wchar_t buffer[128] = {};
    EXPECT_EQ(menu_->GetCommandString(0, c.kind, nullptr, reinterpret_cast<char*>(buffer), 128), c.result)
        << "kind " << c.kind;
    if (c.result != S_OK) continue;
    if (c.wide) {
      EXPECT_EQ(std::wstring(buffer), wideHelp) << "kind " << c.kind;
    } else {
      EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), help) << "kind " << c.kind;
    }
  }
  char narrow[8] = {};
  EXPECT_EQ(menu_->GetCommandString(1, GCS_HELPTEXTA, nullptr, narrow, 8), E_INVALIDARG);
  EXPECT_EQ(menu_->GetCommandString(0, GCS_HELPTEXTA, nullptr, narrow, 5), S_OK);
  EXPECT_STREQ(narrow, "This");  // cut to the buffer, still terminated
  wchar_t wide[5] = {};
  EXPECT_EQ(menu_->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 5), S_OK);
  EXPECT_STREQ(wide, L"This");
}

TEST_F(ShellExtHandlerTest, TextualVerbOrOtherOffsetStartsNothing) {
  ASSERT_EQ(InitializeWith({L"C:\\Data"}), S_OK);
  EXPECT_EQ(Invoke("open"), E_INVALIDARG);
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(1)), E_INVALIDARG);
  EXPECT_EQ(menu_->InvokeCommand(nullptr), E_INVALIDARG);
  Sleep(1500);
  EXPECT_TRUE(Records().empty());
}

TEST_F(ShellExtHandlerTest, InvokeStartsTheProgramOnceWithTheFirstPathUnquoted) {
  const struct {
    std::vector<std::wstring> selection;
    std::string expected;
  } cases[] = {
      {{L"C:\\Data"}, "C:\\Data"},
      {{L"C:\\My Documents\\Folder With Spaces", L"C:\\Second", L"D:\\"}, "C:\\My Documents\\Folder With Spaces"},
  };
  for (const auto& c : cases) {
    for (const auto& old : std::filesystem::directory_iterator(folder_)) {
      if (old.path().filename().string().rfind("invoked-", 0) == 0) std::filesystem::remove(old.path());
    }
    ASSERT_EQ(InitializeWith(c.selection), S_OK);
    ASSERT_EQ(Invoke(MAKEINTRESOURCEA(0)), S_OK);
    ASSERT_TRUE(test::WaitFor([&] { return !Records().empty(); }, std::chrono::seconds(20)))
        << "the stand-in program was not started";
    Sleep(1000);  // a second start would have recorded by now
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], c.expected);
  }
}

}  // namespace
}  // namespace kestro
