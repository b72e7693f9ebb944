#pragma once
// `frUtama`: the keyboard window's COM face. The window is made when the object is
// made and lives as long as it does; the object starts with no event sink and
// never calls one.
#include "keyboard/keyboard_interfaces.hpp"
#include "keyboard/keyboard_window.hpp"

namespace kestro::keyboard {

class FrUtama final : public IFrUtama {
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

  HRESULT STDMETHODCALLTYPE Show(short style, VARIANT* owner) override;
  HRESULT STDMETHODCALLTYPE Hide() override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, BSTR text, long* cookie) override;
  HRESULT STDMETHODCALLTYPE UnAdvise(long cookie) override;

 private:
  FrUtama();
  ~FrUtama();
  FrUtama(const FrUtama&) = delete;
  FrUtama& operator=(const FrUtama&) = delete;

  volatile LONG refs_ = 1;
  KeyboardWindow window_;
  IUnknown* sink_ = nullptr;
};

}  // namespace kestro::keyboard
