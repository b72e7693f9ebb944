#pragma once
// The keyboard window `frmUtama`: draws the key model (captions, which toggle
// button shows, the Caps Lock indicator, the text box) and forwards button clicks
// to it. Closing the window unloads it: it hides, and the next Show starts from
// the load state again.
#include <windows.h>

#include <array>

#include "keyboard/key_model.hpp"

namespace kestro::keyboard {

class KeyboardWindow {
 public:
  KeyboardWindow() = default;
  ~KeyboardWindow();
  KeyboardWindow(const KeyboardWindow&) = delete;
  KeyboardWindow& operator=(const KeyboardWindow&) = delete;

  // Creates the (hidden) window on the calling thread; false without a display.
  bool Create(HINSTANCE instance);
  HWND Handle() const { return window_; }

  // style 1: modal, returns when the window is closed or hidden; other styles show
  // it and return at once. `owner` may be null; a control stands for its top-level
  // window; the keyboard window itself (or one of its controls) is refused.
  // Destroying the owner destroys the window with it: the next Show makes it again.
  HRESULT Show(short style, HWND owner);
  void Hide();

  // Unregisters the window class (at module unload).
  static void UnregisterWindowClass(HINSTANCE instance);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void CreateControls(HINSTANCE instance);
  HWND AddButton(HINSTANCE instance, int id, int x, int y, int width);
  bool KeyFromId(int id, KeyId& key) const;
  bool IsKeyButton(HWND control) const;
  void OnClick(int id);
  void Refresh();
  void Unload();
  void RunModalLoop();

  KeyModel model_;
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HWND text1_ = nullptr;
  HWND lblInfo_ = nullptr;
  bool modal_ = false;
};

}  // namespace kestro::keyboard
