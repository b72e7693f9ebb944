// Test helper for scripts/screenshot-com.sh: puts the virtual keyboard window or
// the shell extension's context-menu item on screen for a few seconds so the
// script can photograph the display. Loads the DLLs from the given folder and
// uses their class factories directly, so nothing needs registering.
//   kestro_com_screenshot keyboard|menu DLL_FOLDER [SECONDS]
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "keyboard/keyboard_interfaces.hpp"

namespace {

using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

const CLSID kClsidKestroExtc = {0x956D4D60, 0xCC93, 0x4106, {0x85, 0x08, 0x22, 0xC7, 0x30, 0x04, 0x9D, 0xEE}};
constexpr UINT_PTR kCloseTimer = 1;

template <typename Interface>
Interface* CreateFrom(const std::wstring& dll, REFCLSID clsid, REFIID iid) {
  HMODULE module = LoadLibraryW(dll.c_str());
  if (module == nullptr) return nullptr;
  const auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  if (get == nullptr || FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
  Interface* object = nullptr;
  factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&object));
  factory->Release();
  return object;
}

void PumpFor(UINT milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  MSG message{};
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

int ShowKeyboard(const std::wstring& folder, UINT milliseconds) {
  using namespace kestro::keyboard;
  IFrUtama* form = CreateFrom<IFrUtama>(folder + L"\\KESTROKeyboard.dll", kClsidFrUtama, kIidFrUtama);
  if (form == nullptr) {
    std::fprintf(stderr, "cannot create the keyboard object\n");
    return 1;
  }
  form->Show(0, nullptr);
  HWND window = FindWindowW(kWindowClass, kWindowCaption);
  SetWindowPos(window, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
  // Type a little with Caps Lock and Shift on, so the picture shows both states.
  for (int id : {kIdHurufBase + ('k' - 'a'), kIdConBase + 0, kIdHurufBase + ('e' - 'a'), kIdConBase + 1,
                 kIdNumberBase + 0, kIdNumberBase + 6}) {
    SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
  }
  PumpFor(milliseconds);
  form->Hide();
  form->Release();
  return 0;
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kCloseTimer) {
    KillTimer(window, kCloseTimer);
    EndMenu();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int ShowMenu(const std::wstring& folder, UINT milliseconds) {
  IContextMenu* menu = CreateFrom<IContextMenu>(folder + L"\\KESTROExtc.dll", kClsidKestroExtc, IID_IContextMenu);
  if (menu == nullptr) {
    std::fprintf(stderr, "cannot create the context-menu handler\n");
    return 1;
  }
  WNDCLASSW cls{};
  cls.lpfnWndProc = &OwnerProcedure;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"KestroMenuOwner";
  cls.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  RegisterClassW(&cls);
  HWND owner = CreateWindowExW(0, cls.lpszClassName, L"Folder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 420, 300,
                               nullptr, nullptr, cls.hInstance, nullptr);
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, L"&Open");
  AppendMenuW(popup, MF_STRING, 2, L"&Explore");
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  menu->QueryContextMenu(popup, 3, 100, 200, CMF_NORMAL);
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popup, MF_STRING, 3, L"P&roperties");
  SetForegroundWindow(owner);
  SetTimer(owner, kCloseTimer, milliseconds, nullptr);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, 120, 90, 0, owner, nullptr);
  DestroyMenu(popup);
  DestroyWindow(owner);
  menu->Release();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kestro_com_screenshot keyboard|menu DLL_FOLDER [SECONDS]\n");
    return 2;
  }
  const std::wstring mode = argv[1];
  const std::wstring folder = argv[2];
  const UINT milliseconds = argc > 3 ? static_cast<UINT>(_wtoi(argv[3])) * 1000u : 6000u;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 2;
  if (mode == L"keyboard") {
    status = ShowKeyboard(folder, milliseconds);
  } else if (mode == L"menu") {
    status = ShowMenu(folder, milliseconds);
  } else {
    std::fprintf(stderr, "unknown mode; use keyboard or menu\n");
  }
  CoUninitialize();
  return status;
}
