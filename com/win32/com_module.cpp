#include "com/win32/com_module.hpp"

#include <new>
#include <vector>


namespace kestro::com {
namespace {

// One factory type for every class: it keeps the class's create function.
class ClassFactory final : public IClassFactory {
 public:
  ClassFactory(ComModule& module, CreateFunction create) : module_(module), create_(create) { module_.Lock(); }
  ~ClassFactory() { module_.Unlock(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      module_.Lock();
    } else {
      module_.Unlock();
    }
    return S_OK;
  }

 private:
  ComModule& module_;
  CreateFunction create_;
  volatile LONG refs_ = 1;
};

}  // namespace

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  }
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

void ComModule::Init(HINSTANCE instance, const ClassEntry* classes, std::size_t count) {
  instance_ = instance;
  classes_ = classes;
  count_ = count;
  InitializeCriticalSection(&registrarLock_);
  initialised_ = true;
}

void ComModule::Term() {
  if (initialised_) DeleteCriticalSection(&registrarLock_);
  initialised_ = false;
}

HRESULT ComModule::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (std::size_t i = 0; i < count_; ++i) {
    if (!IsEqualCLSID(clsid, *classes_[i].clsid)) continue;
    auto* factory = new (std::nothrow) ClassFactory(*this, classes_[i].create);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

std::wstring ComModule::ModulePath() const {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(instance_, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

namespace {

std::wstring ShortPath(const std::wstring& path) {
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return path;  // no short form available: the long path still names the file
  std::wstring out(needed, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), out.data(), needed);
  if (length == 0 || length >= needed) return path;
  out.resize(length);
  return out;
}

}  // namespace

bool ComModule::LoadScriptResource(int resourceId, std::string& script) const {
  HRSRC found = FindResourceW(instance_, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(instance_, found);
  const DWORD size = SizeofResource(instance_, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return false;
  script.assign(static_cast<const char*>(bytes), size);
  return true;
}

Replacements ComModule::ModuleReplacements() const {
  return Replacements{{"MODULE", DoubleQuotes(ToUtf8(ShortPath(ModulePath())))}};
}

HRESULT ComModule::UpdateRegistryFromResource(int resourceId, ScriptMode mode, RegistryAccess& registry) {
  std::string script;
  if (!LoadScriptResource(resourceId, script)) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
  if (ModulePath().empty()) return E_FAIL;
  const RegistrarGuard guard(*this);
  return HresultFromRegistry(ApplyRegistryScriptText(registry, script, ModuleReplacements(), mode));
}

HRESULT ComModule::UpdateRegistryFromResource(int resourceId, ScriptMode mode) {
  return UpdateRegistryFromResource(resourceId, mode, platform::NativeRegistry());
}

}  // namespace kestro::com
