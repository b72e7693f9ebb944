#pragma once
// The in-process COM server framework shared by our DLLs: the module's lock
// count, its class table with one generic class factory, the DllGetClassObject /
// DllCanUnloadNow answers, and registration from a "REGISTRY" script resource.
#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <string>

#include "com/registrar.hpp"

namespace kestro::com {

// Creates a new object and asks it for `iid`.
using CreateFunction = HRESULT (*)(REFIID iid, void** object);

struct ClassEntry {
  const CLSID* clsid;
  CreateFunction create;
};

class ComModule {
 public:
  // Called from DllMain on process attach (thread notifications are switched off)
  // and on detach.
  void Init(HINSTANCE instance, const ClassEntry* classes, std::size_t count);
  void Term();

  HINSTANCE Instance() const { return instance_; }

  // Interlocked lock count: live objects plus IClassFactory::LockServer locks.
  void Lock() { InterlockedIncrement(&locks_); }
  void Unlock() { InterlockedDecrement(&locks_); }
  LONG LockCount() const { return locks_; }

  HRESULT CanUnloadNow() const { return locks_ == 0 ? S_OK : S_FALSE; }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);

  // Full path of this module's file (empty on failure).
  std::wstring ModulePath() const;

  // Reads the registry script resource ("REGISTRY", id) as 8-bit text.
  bool LoadScriptResource(int resourceId, std::string& script) const;
  // "%MODULE%": the module's short path with single quotes doubled.
  Replacements ModuleReplacements() const;

  // Applies the registry script resource ("REGISTRY", id) with "%MODULE%" set to
  // the module's short path, quotes doubled, against `registry`.
  HRESULT UpdateRegistryFromResource(int resourceId, ScriptMode mode, RegistryAccess& registry);
  // The same against the real registry.
  HRESULT UpdateRegistryFromResource(int resourceId, ScriptMode mode);

  // Holds the registrar's critical section for a registration done in several steps.
  class RegistrarGuard {
   public:
    explicit RegistrarGuard(ComModule& module) : lock_(&module.registrarLock_) { EnterCriticalSection(lock_); }
    ~RegistrarGuard() { LeaveCriticalSection(lock_); }
    RegistrarGuard(const RegistrarGuard&) = delete;
    RegistrarGuard& operator=(const RegistrarGuard&) = delete;

   private:
    CRITICAL_SECTION* lock_;
  };

 private:
  HINSTANCE instance_ = nullptr;
  const ClassEntry* classes_ = nullptr;
  std::size_t count_ = 0;
  volatile LONG locks_ = 0;
  CRITICAL_SECTION registrarLock_{};
  bool initialised_ = false;
};

// Turns a registry result (Win32 error code) into an HRESULT.
inline HRESULT HresultFromRegistry(long status) {
  return status == 0 ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(status));
}

// UTF-16 <-> UTF-8 at the boundary between Windows calls and the portable script code.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace kestro::com
