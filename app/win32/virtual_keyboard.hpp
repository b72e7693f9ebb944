#pragma once
// The virtual keyboard object "Virtual.frUtama", created by programmatic
// identifier and driven late-bound by member name.

#include <windows.h>
#include <oaidl.h>

namespace kestro::app {

class VirtualKeyboard {
 public:
  VirtualKeyboard() = default;
  ~VirtualKeyboard();
  VirtualKeyboard(const VirtualKeyboard&) = delete;
  VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

  // Creates the object and hides its window; false when it cannot be created
  // (the keyboard library is not registered, for example).
  bool Create();
  // Shows the keyboard modally over `owner`; returns when the user closes it.
  void ShowModal(HWND owner);

 private:
  HRESULT Call(const wchar_t* member, VARIANT* arguments, UINT count);
  IDispatch* object_ = nullptr;
};

}  // namespace kestro::app
