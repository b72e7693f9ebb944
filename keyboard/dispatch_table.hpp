#pragma once
// Hand-written IDispatch support: name lookup over a small table and argument
// access with the usual conversions.
#include <windows.h>
#include <oaidl.h>

#include <cstddef>

namespace kestro::keyboard {

struct DispatchName {
  const wchar_t* name;
  DISPID id;
};

// GetIDsOfNames over `table` (names compared without regard to case). Only the
// member name is looked up; parameter names are not supported.
HRESULT LookupDispatchNames(const DispatchName* table, std::size_t size, LPOLESTR* names, UINT count, DISPID* ids);

// Positional arguments of an Invoke call (rgvarg holds them last first).
class DispatchArguments {
 public:
  explicit DispatchArguments(const DISPPARAMS* params) : params_(params) {}

  // Checks the count and that no named arguments were passed.
  HRESULT Check(UINT required, UINT most) const;
  // True when argument `position` (0 = first) was passed and is not a missing marker.
  bool Present(UINT position) const;
  // Converts argument `position` to `type`; `out` must be initialised (VariantInit)
  // by the caller and cleared afterwards.
  HRESULT Get(UINT position, VARTYPE type, VARIANT& out, UINT* badArgument) const;

 private:
  const DISPPARAMS* params_;
};

}  // namespace kestro::keyboard
