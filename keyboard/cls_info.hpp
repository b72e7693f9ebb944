#pragma once
// `clsInfo`: fixed version texts and one stored 16-bit state value.
#include "keyboard/keyboard_interfaces.hpp"

namespace kestro::keyboard {

class ClsInfo final : public IClsInfo {
 public:
  static HRESULT Create(REFIID iid, void** object);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

  HRESULT STDMETHODCALLTYPE GetAll(short n, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE GetState(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE SetState(short value, short* result) override;

 private:
  ClsInfo();
  ~ClsInfo();
  ClsInfo(const ClsInfo&) = delete;
  ClsInfo& operator=(const ClsInfo&) = delete;

  volatile LONG refs_ = 1;
  short state_ = 0;
};

}  // namespace kestro::keyboard
