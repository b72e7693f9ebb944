#include "app/win32/virtual_keyboard.hpp"

#include <objbase.h>
#include <oleauto.h>

namespace kestro::app {

VirtualKeyboard::~VirtualKeyboard() {
  if (object_ != nullptr) object_->Release();
}

bool VirtualKeyboard::Create() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Virtual.frUtama", &clsid))) return false;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object_)))) {
    object_ = nullptr;
    return false;
  }
  Call(L"Hide", nullptr, 0);
  return true;
}

void VirtualKeyboard::ShowModal(HWND owner) {
  if (object_ == nullptr) return;
  // Arguments go last first: the owner window, then the style (1 = modal).
  VARIANT arguments[2];
  VariantInit(&arguments[0]);
  V_VT(&arguments[0]) = VT_I8;
  V_I8(&arguments[0]) = static_cast<LONGLONG>(reinterpret_cast<INT_PTR>(owner));
  VariantInit(&arguments[1]);
  V_VT(&arguments[1]) = VT_I2;
  V_I2(&arguments[1]) = 1;
  Call(L"Show", arguments, 2);
}

HRESULT VirtualKeyboard::Call(const wchar_t* member, VARIANT* arguments, UINT count) {
  DISPID id = 0;
  auto* name = const_cast<LPOLESTR>(member);
  HRESULT hr = object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS params{arguments, nullptr, count, 0};
  return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

}  // namespace kestro::app
