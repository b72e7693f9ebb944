// The housekeeping tick and the system information read at start-up. The
// panels and the launcher row live in their own files.
#include "systools/win32/tools_panels.hpp"

#include <psapi.h>
#include <wbemidl.h>

#include "systools/system_information.hpp"

namespace kestro::systools {
namespace {

// A COM interface pointer released when it goes.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  Interface** Out() { return &pointer_; }
  Interface* operator->() const { return pointer_; }
  Interface* get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  Interface* pointer_ = nullptr;
};

class ComScope {
 public:
  ComScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

std::wstring StringProperty(IWbemClassObject* object, const wchar_t* name) {
  VARIANT value;
  VariantInit(&value);
  std::wstring text;
  if (SUCCEEDED(object->Get(name, 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR &&
      value.bstrVal != nullptr) {
    text.assign(value.bstrVal, SysStringLen(value.bstrVal));
  }
  VariantClear(&value);
  return text;
}

// Calls `each` for the instances of a class in root\cimv2 until it answers false.
template <typename Each>
bool ForEachInstance(IWbemServices* services, const wchar_t* className, Each each) {
  ComPtr<IEnumWbemClassObject> instances;
  BSTR name = SysAllocString(className);
  const HRESULT hr = services->CreateInstanceEnum(name, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                                  nullptr, instances.Out());
  SysFreeString(name);
  if (FAILED(hr) || !instances) return false;
  bool any = false;
  for (;;) {
    ComPtr<IWbemClassObject> instance;
    ULONG returned = 0;
    if (instances->Next(-1 /* WBEM_INFINITE */, 1, instance.Out(), &returned) != WBEM_S_NO_ERROR ||
        returned == 0)
      break;
    any = true;
    if (!each(instance.get())) break;
  }
  return any;
}

}  // namespace

void HousekeepingTick() {
  // Only the rights that trimming the own working set needs.
  HANDLE self = OpenProcess(PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
  if (self == nullptr) return;
  EmptyWorkingSet(self);
  CloseHandle(self);
}

SystemInformation QuerySystemInformation() {
  SystemInformation information;
  ComScope com;
  ComPtr<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(locator.Out())))) {
    return information;
  }
  ComPtr<IWbemServices> services;
  BSTR root = SysAllocString(L"ROOT\\CIMV2");
  const HRESULT connected =
      locator->ConnectServer(root, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.Out());
  SysFreeString(root);
  if (FAILED(connected) || !services) return information;
  CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);

  // Operating system: every instance writes the lines (there is one).
  information.ok = ForEachInstance(services.get(), L"Win32_OperatingSystem", [&](IWbemClassObject* os) {
    const std::wstring caption = StringProperty(os, L"Caption");
    information.osCaption = OperatingSystemLine(caption, StringProperty(os, L"CSDVersion"));
    information.osBuildLine = InformationLine(StringProperty(os, L"BuildNumber"));
    information.osVersionLine = InformationLine(StringProperty(os, L"Version"));
    information.isWindowsXP = IsWindowsXPFromCaption(caption);
    return true;
  });
  // Processor: the first instance only.
  ForEachInstance(services.get(), L"Win32_Processor", [&](IWbemClassObject* processor) {
    information.processorLine = InformationLine(StringProperty(processor, L"Name"));
    information.processorManufacturerLine = InformationLine(StringProperty(processor, L"Manufacturer"));
    information.processorDescriptionLine = InformationLine(StringProperty(processor, L"Description"));
    return false;
  });
  return information;
}

}  // namespace kestro::systools
