#include "keyboard/key_model.hpp"

#include <array>
#include <string_view>

#include "engine/identity.hpp"

namespace kestro::keyboard {
namespace {

constexpr std::wstring_view kSpaceCaption = L"[  S  P  A  C  E  ]";
constexpr std::array<std::wstring_view, kNumberCount> kNumbers = {L"1", L"2", L"3", L"4", L"5",
                                                                  L"6", L"7", L"8", L"9", L"0"};
constexpr std::array<std::wstring_view, kNumberCount> kNumbersShifted = {L"!", L"@", L"#", L"$", L"%",
                                                                         L"^", L"&&", L"*", L"(", L")"};
constexpr std::array<std::wstring_view, kSymbolCount> kSymbols = {L"-", L"=", L"[", L"]", L"\\",
                                                                  L";", L"'", L",", L".", L"/"};
constexpr std::array<std::wstring_view, kSymbolCount> kSymbolsShifted = {L"_", L"+", L"{", L"}", L"|",
                                                                         L":", L"\"", L"<", L">", L"?"};
constexpr std::array<std::wstring_view, kConCount> kConCaptions = {L"&Caps Lock", L"&Shift"};
constexpr std::array<std::wstring_view, kConCount> kCon1Captions = {L"&No Caps Lock", L"&Shift"};

bool InRange(KeyId key) { return key.index >= 0 && key.index < KeyCount(key.group); }

std::size_t At(int index) { return static_cast<std::size_t>(index); }

// What a button with this caption types: its text as shown, so "&&" types one "&".
std::wstring TypedText(std::wstring_view caption) {
  std::wstring typed;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size() && caption[i + 1] == L'&') ++i;
    typed.push_back(caption[i]);
  }
  return typed;
}

}  // namespace

int KeyCount(KeyGroup group) {
  switch (group) {
    case KeyGroup::Huruf:
      return kHurufCount;
    case KeyGroup::Number:
      return kNumberCount;
    case KeyGroup::Symbol:
      return kSymbolCount;
    case KeyGroup::Del:
      return 1;
    case KeyGroup::Con:
    case KeyGroup::Con1:
      return kConCount;
  }
  return 0;
}

void KeyModel::Reset() {
  text_.clear();
  caps_ = false;
  shift_ = false;
}

std::wstring KeyModel::Caption(KeyId key) const {
  if (!InRange(key)) return {};
  switch (key.group) {
    case KeyGroup::Huruf:
      if (key.index == kSpaceIndex) return std::wstring(kSpaceCaption);
      return std::wstring(1, static_cast<wchar_t>((caps_ ? L'A' : L'a') + key.index));
    case KeyGroup::Number:
      return std::wstring(shift_ ? kNumbersShifted[At(key.index)] : kNumbers[At(key.index)]);
    case KeyGroup::Symbol:
      return std::wstring(shift_ ? kSymbolsShifted[At(key.index)] : kSymbols[At(key.index)]);
    case KeyGroup::Del:
      return L"Backspace";
    case KeyGroup::Con:
      return std::wstring(kConCaptions[At(key.index)]);
    case KeyGroup::Con1:
      return std::wstring(kCon1Captions[At(key.index)]);
  }
  return {};
}

bool KeyModel::Visible(KeyId key) const {
  if (!InRange(key)) return false;
  const bool on = key.index == kCapsIndex ? caps_ : shift_;
  switch (key.group) {
    case KeyGroup::Con:
      return !on;
    case KeyGroup::Con1:
      return on;
    default:
      return true;
  }
}

void KeyModel::Click(KeyId key) {
  if (!Visible(key)) return;
  switch (key.group) {
    case KeyGroup::Huruf:
      text_ += key.index == kSpaceIndex ? std::wstring(L" ") : Caption(key);
      return;
    case KeyGroup::Number:
    case KeyGroup::Symbol:
      text_ += TypedText(Caption(key));
      return;
    case KeyGroup::Del:
      Backspace();
      return;
    case KeyGroup::Con:
    case KeyGroup::Con1: {
      const bool press = key.group == KeyGroup::Con;
      (key.index == kCapsIndex ? caps_ : shift_) = press;
      return;
    }
  }
}

void KeyModel::Backspace() {
  if (text_.empty()) return;
  // A character outside the basic plane is two UTF-16 units: remove both halves.
  const wchar_t last = text_.back();
  text_.pop_back();
  if (sizeof(wchar_t) == 2 && last >= 0xDC00 && last <= 0xDFFF && !text_.empty() && text_.back() >= 0xD800 &&
      text_.back() <= 0xDBFF) {
    text_.pop_back();
  }
}

std::wstring InfoText(int n) {
  switch (n) {
    case 0:
      return L" ( Beta )";
    case 1:
      return L"KESTRO Antivirus - Ver. 3.4";
    case 2:
      return L"3.4";
    case 3:
      return L"KESTRO Antivirus";
    case 4:
      return L"29 September 2012";
    case 5:  // the product web site, as the engine library names it
      return std::wstring(engine::kSite.begin(), engine::kSite.end());
    case 6:
      return L"6.08";
    case 7:
      return L"6.7";
    case 8:
      return L"6.2";
    default:
      return {};
  }
}

}  // namespace kestro::keyboard
