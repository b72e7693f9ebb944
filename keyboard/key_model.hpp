#pragma once
// The virtual keyboard's key logic, free of any window: the keys and their
// captions, what a click types, and the two independent toggles (Caps Lock and a
// Shift that stays on until released). The window only draws this model and
// forwards clicks to it.
//
// Captions are the buttons' texts as Windows shows them: "&" marks the mnemonic
// letter and "&&" shows one ampersand.

#include <cstdint>
#include <string>

namespace kestro::keyboard {

// Control arrays of the keyboard window.
enum class KeyGroup { Huruf, Number, Symbol, Del, Con, Con1 };

struct KeyId {
  KeyGroup group;
  int index;
};

inline constexpr int kHurufCount = 27;  // a..z, then the space bar
inline constexpr int kSpaceIndex = 26;
inline constexpr int kNumberCount = 10;
inline constexpr int kSymbolCount = 10;
inline constexpr int kConCount = 2;  // 0: Caps Lock, 1: Shift
inline constexpr int kCapsIndex = 0;
inline constexpr int kShiftIndex = 1;

// Colours of the Caps Lock indicator (0x00BBGGRR).
inline constexpr std::uint32_t kIndicatorOff = 255;    // red
inline constexpr std::uint32_t kIndicatorOn = 65280;   // green

// Number of keys in a group (0 for an unknown group).
int KeyCount(KeyGroup group);

class KeyModel {
 public:
  KeyModel() = default;

  // Back to the state at load: both toggles off, empty text.
  void Reset();

  // Caption of a key, or empty text for an index outside its group.
  std::wstring Caption(KeyId key) const;
  // Whether the key is shown: each toggle shows either its press or its release button.
  bool Visible(KeyId key) const;
  // A click on a key: types, deletes or toggles. Clicks on hidden or unknown keys
  // do nothing.
  void Click(KeyId key);

  // The collected text (`Text1`); the window hands back edits made in the box itself.
  const std::wstring& Text() const { return text_; }
  void SetText(std::wstring text) { text_ = std::move(text); }

  bool CapsLock() const { return caps_; }
  bool Shift() const { return shift_; }
  std::wstring IndicatorText() const { return caps_ ? L"[ ON ]" : L"[ OFF ]"; }
  std::uint32_t IndicatorColour() const { return caps_ ? kIndicatorOn : kIndicatorOff; }

 private:
  void Backspace();

  std::wstring text_;
  bool caps_ = false;
  bool shift_ = false;
};

// Texts of the information class `clsInfo`'s GetAll(n); empty for other n.
std::wstring InfoText(int n);

}  // namespace kestro::keyboard
