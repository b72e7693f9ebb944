#include "keyboard/fr_utama.hpp"

#include <new>

#include "keyboard/dispatch_table.hpp"
#include "keyboard/keyboard_module.hpp"

namespace kestro::keyboard {
namespace {

constexpr DispatchName kNames[] = {
    {L"Show", kDispShow}, {L"Hide", kDispHide}, {L"Advise", kDispAdvise}, {L"UnAdvise", kDispUnAdvise}};

// The owner argument: a window handle given as an integer; anything else is none.
HWND OwnerFrom(VARIANT* owner) {
  if (owner == nullptr) return nullptr;
  VARIANT number;
  VariantInit(&number);
  HWND window = nullptr;
  if (V_VT(owner) != VT_EMPTY && V_VT(owner) != VT_ERROR && V_VT(owner) != VT_DISPATCH &&
      V_VT(owner) != VT_UNKNOWN && SUCCEEDED(VariantChangeType(&number, owner, 0, VT_I8))) {
    window = reinterpret_cast<HWND>(static_cast<INT_PTR>(V_I8(&number)));
  }
  VariantClear(&number);
  return window;
}

}  // namespace

HRESULT FrUtama::Create(REFIID iid, void** object) {
  auto* form = new (std::nothrow) FrUtama();
  if (form == nullptr) return E_OUTOFMEMORY;
  if (!form->window_.Create(Module().Instance())) {
    // No window can be made (no desktop to show it on): the object would be useless.
    form->Release();
    return E_FAIL;
  }
  const HRESULT hr = form->QueryInterface(iid, object);
  form->Release();
  return hr;
}

FrUtama::FrUtama() { Module().Lock(); }

FrUtama::~FrUtama() {
  if (sink_ != nullptr) sink_->Release();
  Module().Unlock();
}

HRESULT FrUtama::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidFrUtama)) {
    *object = static_cast<IFrUtama*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FrUtama::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG FrUtama::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT FrUtama::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;  // no type library: names are answered from the table
  return S_OK;
}

HRESULT FrUtama::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT FrUtama::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return LookupDispatchNames(kNames, std::size(kNames), names, count, ids);
}

HRESULT FrUtama::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* badArgument) {
  if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
  const DispatchArguments args(params);
  if (result != nullptr) VariantInit(result);
  switch (id) {
    case kDispShow: {
      if (const HRESULT hr = args.Check(0, 2); FAILED(hr)) return hr;
      short style = 0;
      VARIANT value;
      VariantInit(&value);
      if (args.Present(0)) {
        if (const HRESULT hr = args.Get(0, VT_I2, value, badArgument); FAILED(hr)) return hr;
        style = V_I2(&value);
      }
      VariantClear(&value);
      VARIANT owner;
      VariantInit(&owner);
      if (args.Present(1)) {
        if (const HRESULT hr = args.Get(1, VT_I8, owner, badArgument); FAILED(hr)) return hr;
      }
      const HRESULT hr = Show(style, &owner);
      VariantClear(&owner);
      return hr;
    }
    case kDispHide:
      if (const HRESULT hr = args.Check(0, 0); FAILED(hr)) return hr;
      return Hide();
    case kDispAdvise: {
      if (const HRESULT hr = args.Check(2, 2); FAILED(hr)) return hr;
      VARIANT sink;
      VARIANT text;
      VariantInit(&sink);
      VariantInit(&text);
      HRESULT hr = args.Get(0, VT_UNKNOWN, sink, badArgument);
      if (SUCCEEDED(hr)) hr = args.Get(1, VT_BSTR, text, badArgument);
      long cookie = 0;
      if (SUCCEEDED(hr)) hr = Advise(V_UNKNOWN(&sink), V_BSTR(&text), &cookie);
      VariantClear(&sink);
      VariantClear(&text);
      if (SUCCEEDED(hr) && result != nullptr) {
        V_VT(result) = VT_I4;
        V_I4(result) = cookie;
      }
      return hr;
    }
    case kDispUnAdvise: {
      if (const HRESULT hr = args.Check(1, 1); FAILED(hr)) return hr;
      VARIANT cookie;
      VariantInit(&cookie);
      if (const HRESULT hr = args.Get(0, VT_I4, cookie, badArgument); FAILED(hr)) return hr;
      return UnAdvise(V_I4(&cookie));
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT FrUtama::Show(short style, VARIANT* owner) {
  // Keep this object alive while a modal loop runs, whatever the caller releases.
  AddRef();
  const HRESULT hr = window_.Show(style, OwnerFrom(owner));
  Release();
  return hr;
}

HRESULT FrUtama::Hide() {
  window_.Hide();
  return S_OK;
}

HRESULT FrUtama::Advise(IUnknown* sink, BSTR, long* cookie) {
  if (sink != nullptr) sink->AddRef();
  if (sink_ != nullptr) sink_->Release();
  sink_ = sink;
  if (cookie != nullptr) *cookie = 0;
  return S_OK;
}

HRESULT FrUtama::UnAdvise(long) {
  if (sink_ != nullptr) sink_->Release();
  sink_ = nullptr;
  return S_OK;
}

}  // namespace kestro::keyboard
