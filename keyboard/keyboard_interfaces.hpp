#pragma once
// The COM face of KESTROKeyboard.dll: class and interface identifiers, the two
// dual interfaces (early-bound through these vtables, late-bound through their
// IDispatch part) and the keyboard window's class name, caption and control ids.
//
// No type library is built: IDispatch is answered by hand from a small name table
// (GetIDsOfNames / Invoke), so late-bound callers such as scripts and the main
// program's by-name calls need nothing registered beyond the classes.
#include <windows.h>
#include <oaidl.h>

namespace kestro::keyboard {

// Form interface of `frUtama`: {70BB1D72-BF9A-11D3-BDA4-00C04F60A0D3}.
inline constexpr IID kIidFrUtama = {0x70BB1D72, 0xBF9A, 0x11D3, {0xBD, 0xA4, 0x00, 0xC0, 0x4F, 0x60, 0xA0, 0xD3}};
// Event interface a sink passed to Advise implements: {70BB1D71-...}. The library
// never raises events, so it has no methods here.
inline constexpr IID kIidFrUtamaEvents = {0x70BB1D71, 0xBF9A, 0x11D3, {0xBD, 0xA4, 0x00, 0xC0, 0x4F, 0x60, 0xA0, 0xD3}};
// "Virtual.frUtama": {26F63BA6-66A6-40F5-95BE-228A925C340D}.
inline constexpr CLSID kClsidFrUtama = {0x26F63BA6, 0x66A6, 0x40F5, {0x95, 0xBE, 0x22, 0x8A, 0x92, 0x5C, 0x34, 0x0D}};
// "Virtual.clsInfo": {CE586F67-E7B5-4784-B999-D2D35D89A58D}.
inline constexpr CLSID kClsidClsInfo = {0xCE586F67, 0xE7B5, 0x4784, {0xB9, 0x99, 0xD2, 0xD3, 0x5D, 0x89, 0xA5, 0x8D}};
// Interface of `clsInfo`: {1934799C-2316-4924-AE05-89BAF4466890}.
inline constexpr IID kIidClsInfo = {0x1934799C, 0x2316, 0x4924, {0xAE, 0x05, 0x89, 0xBA, 0xF4, 0x46, 0x68, 0x90}};

// Dispatch identifiers (the late-bound names map to these).
inline constexpr DISPID kDispShow = 1;
inline constexpr DISPID kDispHide = 2;
inline constexpr DISPID kDispAdvise = 3;
inline constexpr DISPID kDispUnAdvise = 4;
inline constexpr DISPID kDispGetAll = 1;
inline constexpr DISPID kDispGetState = 2;
inline constexpr DISPID kDispSetState = 3;

// Slots after IDispatch, in this order: Show, Hide, Advise, UnAdvise.
struct IFrUtama : public IDispatch {
  // style 1 shows the window modally and returns when it is closed; `owner` may be
  // null or an empty/missing VARIANT, else a window handle (integer).
  virtual HRESULT STDMETHODCALLTYPE Show(short style, VARIANT* owner) = 0;
  virtual HRESULT STDMETHODCALLTYPE Hide() = 0;
  virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, BSTR text, long* cookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnAdvise(long cookie) = 0;
};

struct IClsInfo : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetAll(short n, BSTR* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetState(VARIANT_BOOL* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetState(short value, short* result) = 0;
};

// The keyboard window `frmUtama`.
inline constexpr wchar_t kWindowClass[] = L"KESTRO.frmUtama";
inline constexpr wchar_t kWindowCaption[] = L"KESTRO - Virtual Keyboard";

// Control identifiers: a control array's base plus its index.
inline constexpr int kIdHurufBase = 1000;
inline constexpr int kIdNumberBase = 1100;
inline constexpr int kIdSymbolBase = 1200;
inline constexpr int kIdDel = 1300;
inline constexpr int kIdConBase = 1400;
inline constexpr int kIdCon1Base = 1500;
inline constexpr int kIdText1 = 1600;
inline constexpr int kIdLblInfo = 1700;

}  // namespace kestro::keyboard
