// KESTROExtc.dll: the Explorer context-menu handler's module entry points.
#include <windows.h>

#include <string>

#include "platform/registry.hpp"
#include "shellext/context_menu_handler.hpp"
#include "shellext/handler_registration.hpp"
#include "shellext/shellext_module.hpp"

namespace kestro::shellext {
namespace {

com::ComModule g_module;

const com::ClassEntry kClasses[] = {{&kClsidKestroExtc, &ContextMenuHandler::Create}};

// The NT family: the top bit of GetVersion's answer is clear.
bool IsNtFamily() { return (GetVersion() & 0x80000000u) == 0; }

}  // namespace

com::ComModule& Module() { return g_module; }

}  // namespace kestro::shellext

using kestro::shellext::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    Module().Init(instance, kestro::shellext::kClasses, std::size(kestro::shellext::kClasses));
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    Module().Term();
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return Module().CanUnloadNow(); }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return Module().GetClassObject(clsid, iid, object);
}

extern "C" HRESULT WINAPI DllRegisterServer() {
  std::string script;
  if (!Module().LoadScriptResource(kestro::shellext::kRegistryScriptId, script)) return E_UNEXPECTED;
  kestro::platform::RegistryAccess& registry = kestro::platform::NativeRegistry();
  const kestro::com::ComModule::RegistrarGuard guard(Module());
  return kestro::com::HresultFromRegistry(kestro::shellext::RegisterHandler(
      registry, kestro::shellext::IsNtFamily(), script, Module().ModuleReplacements()));
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  std::string script;
  if (!Module().LoadScriptResource(kestro::shellext::kRegistryScriptId, script)) return E_UNEXPECTED;
  kestro::platform::RegistryAccess& registry = kestro::platform::NativeRegistry();
  const kestro::com::ComModule::RegistrarGuard guard(Module());
  return kestro::com::HresultFromRegistry(kestro::shellext::UnregisterHandler(
      registry, kestro::shellext::IsNtFamily(), script, Module().ModuleReplacements()));
}
