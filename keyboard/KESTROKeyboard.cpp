// KESTROKeyboard.dll: the virtual keyboard's module entry points.
#include <windows.h>

#include <iterator>

#include "keyboard/cls_info.hpp"
#include "keyboard/fr_utama.hpp"
#include "keyboard/keyboard_module.hpp"
#include "keyboard/keyboard_window.hpp"

namespace kestro::keyboard {
namespace {

com::ComModule g_module;

const com::ClassEntry kClasses[] = {{&kClsidFrUtama, &FrUtama::Create}, {&kClsidClsInfo, &ClsInfo::Create}};

}  // namespace

com::ComModule& Module() { return g_module; }

}  // namespace kestro::keyboard

using kestro::keyboard::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    Module().Init(instance, kestro::keyboard::kClasses, std::size(kestro::keyboard::kClasses));
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    kestro::keyboard::KeyboardWindow::UnregisterWindowClass(instance);
    Module().Term();
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return Module().CanUnloadNow(); }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return Module().GetClassObject(clsid, iid, object);
}

extern "C" HRESULT WINAPI DllRegisterServer() {
  return Module().UpdateRegistryFromResource(kestro::keyboard::kRegistryScriptId, kestro::com::ScriptMode::Register);
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  return Module().UpdateRegistryFromResource(kestro::keyboard::kRegistryScriptId, kestro::com::ScriptMode::Remove);
}
