#include "keyboard/cls_info.hpp"

#include <new>

#include "keyboard/dispatch_table.hpp"
#include "keyboard/key_model.hpp"
#include "keyboard/keyboard_module.hpp"

namespace kestro::keyboard {
namespace {

constexpr DispatchName kNames[] = {
    {L"GetAll", kDispGetAll}, {L"GetState", kDispGetState}, {L"SetState", kDispSetState}};

}  // namespace

HRESULT ClsInfo::Create(REFIID iid, void** object) {
  auto* info = new (std::nothrow) ClsInfo();
  if (info == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = info->QueryInterface(iid, object);
  info->Release();
  return hr;
}

ClsInfo::ClsInfo() { Module().Lock(); }
ClsInfo::~ClsInfo() { Module().Unlock(); }

HRESULT ClsInfo::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidClsInfo)) {
    *object = static_cast<IClsInfo*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ClsInfo::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG ClsInfo::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT ClsInfo::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ClsInfo::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT ClsInfo::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return LookupDispatchNames(kNames, std::size(kNames), names, count, ids);
}

HRESULT ClsInfo::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* badArgument) {
  if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
  const DispatchArguments args(params);
  VARIANT answer;
  VariantInit(&answer);
  HRESULT hr = DISP_E_MEMBERNOTFOUND;
  switch (id) {
    case kDispGetAll: {
      if (hr = args.Check(1, 1); FAILED(hr)) return hr;
      VARIANT n;
      VariantInit(&n);
      if (hr = args.Get(0, VT_I2, n, badArgument); FAILED(hr)) return hr;
      V_VT(&answer) = VT_BSTR;
      hr = GetAll(V_I2(&n), &V_BSTR(&answer));
      break;
    }
    case kDispGetState:
      if (hr = args.Check(0, 0); FAILED(hr)) return hr;
      V_VT(&answer) = VT_BOOL;
      hr = GetState(&V_BOOL(&answer));
      break;
    case kDispSetState: {
      if (hr = args.Check(1, 1); FAILED(hr)) return hr;
      VARIANT value;
      VariantInit(&value);
      if (hr = args.Get(0, VT_I2, value, badArgument); FAILED(hr)) return hr;
      V_VT(&answer) = VT_I2;
      hr = SetState(V_I2(&value), &V_I2(&answer));
      break;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (SUCCEEDED(hr) && result != nullptr) {
    *result = answer;  // ownership of a string moves to the caller
  } else {
    VariantClear(&answer);
  }
  return hr;
}

HRESULT ClsInfo::GetAll(short n, BSTR* result) {
  if (result == nullptr) return E_POINTER;
  const std::wstring text = InfoText(n);
  *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *result == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT ClsInfo::GetState(VARIANT_BOOL* result) {
  if (result == nullptr) return E_POINTER;
  *result = state_ == -1 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT ClsInfo::SetState(short value, short* result) {
  state_ = value;
  if (result != nullptr) *result = 0;
  return S_OK;
}

}  // namespace kestro::keyboard
