#include "keyboard/dispatch_table.hpp"

namespace kestro::keyboard {

HRESULT LookupDispatchNames(const DispatchName* table, std::size_t size, LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (names[0] == nullptr) return DISP_E_UNKNOWNNAME;
  for (std::size_t i = 0; i < size; ++i) {
    if (lstrcmpiW(names[0], table[i].name) == 0) {
      ids[0] = table[i].id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchArguments::Check(UINT required, UINT most) const {
  const UINT given = params_ == nullptr ? 0 : params_->cArgs;
  if (params_ != nullptr && params_->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (given > most) return DISP_E_BADPARAMCOUNT;
  for (UINT i = 0; i < required; ++i) {
    if (!Present(i)) return DISP_E_PARAMNOTOPTIONAL;
  }
  return S_OK;
}

bool DispatchArguments::Present(UINT position) const {
  if (params_ == nullptr || position >= params_->cArgs || params_->rgvarg == nullptr) return false;
  const VARIANT& arg = params_->rgvarg[params_->cArgs - 1 - position];
  return !(V_VT(&arg) == VT_ERROR && V_ERROR(&arg) == DISP_E_PARAMNOTFOUND) && V_VT(&arg) != VT_EMPTY;
}

HRESULT DispatchArguments::Get(UINT position, VARTYPE type, VARIANT& out, UINT* badArgument) const {
  if (!Present(position)) return DISP_E_PARAMNOTOPTIONAL;
  const UINT slot = params_->cArgs - 1 - position;
  VARIANT& arg = params_->rgvarg[slot];
  // By-reference arguments are read through their reference.
  const HRESULT hr = VariantChangeType(&out, &arg, 0, type);
  if (FAILED(hr) && badArgument != nullptr) *badArgument = slot;
  return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

}  // namespace kestro::keyboard
