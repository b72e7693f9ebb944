// The virtual keyboard's key logic: captions, typed text, the two toggles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keyboard/key_model.hpp"

namespace kestro::keyboard {
namespace {

constexpr KeyId Letter(char c) { return {KeyGroup::Huruf, c - 'a'}; }
constexpr KeyId kSpace{KeyGroup::Huruf, kSpaceIndex};
constexpr KeyId Number(int i) { return {KeyGroup::Number, i}; }
constexpr KeyId Symbol(int i) { return {KeyGroup::Symbol, i}; }
constexpr KeyId kDel{KeyGroup::Del, 0};
constexpr KeyId kCapsOn{KeyGroup::Con, kCapsIndex};
constexpr KeyId kCapsOff{KeyGroup::Con1, kCapsIndex};
constexpr KeyId kShiftOn{KeyGroup::Con, kShiftIndex};
constexpr KeyId kShiftOff{KeyGroup::Con1, kShiftIndex};

std::wstring Type(KeyModel& model, const std::vector<KeyId>& keys) {
  for (const KeyId key : keys) model.Click(key);
  return model.Text();
}

TEST(KeyModelTest, CaptionsAtLoad) {
  const KeyModel model;
  EXPECT_EQ(model.Caption(Letter('a')), L"a");
  EXPECT_EQ(model.Caption(Letter('z')), L"z");
  EXPECT_EQ(model.Caption(kSpace), L"[  S  P  A  C  E  ]");
  const wchar_t* numbers[] = {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"0"};
  const wchar_t* symbols[] = {L"-", L"=", L"[", L"]", L"\\", L";", L"'", L",", L".", L"/"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(model.Caption(Number(i)), numbers[i]) << i;
    EXPECT_EQ(model.Caption(Symbol(i)), symbols[i]) << i;
  }
  EXPECT_EQ(model.Caption(kDel), L"Backspace");
  EXPECT_EQ(model.Caption(kCapsOn), L"&Caps Lock");
  EXPECT_EQ(model.Caption(kCapsOff), L"&No Caps Lock");
  EXPECT_EQ(model.Caption(kShiftOn), L"&Shift");
  EXPECT_EQ(model.Caption(kShiftOff), L"&Shift");
  EXPECT_EQ(model.IndicatorText(), L"[ OFF ]");
  EXPECT_EQ(model.IndicatorColour(), 255u);
  EXPECT_TRUE(model.Visible(kCapsOn));
  EXPECT_FALSE(model.Visible(kCapsOff));
  EXPECT_TRUE(model.Visible(kShiftOn));
  EXPECT_FALSE(model.Visible(kShiftOff));
}

TEST(KeyModelTest, ShiftedCaptionsAndTypedText) {
  KeyModel model;
  model.Click(kShiftOn);
  const wchar_t* numbers[] = {L"!", L"@", L"#", L"$", L"%", L"^", L"&&", L"*", L"(", L")"};
  const wchar_t* symbols[] = {L"_", L"+", L"{", L"}", L"|", L":", L"\"", L"<", L">", L"?"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(model.Caption(Number(i)), numbers[i]) << i;
    EXPECT_EQ(model.Caption(Symbol(i)), symbols[i]) << i;
  }
  for (int i = 0; i < 10; ++i) model.Click(Number(i));
  for (int i = 0; i < 10; ++i) model.Click(Symbol(i));
  EXPECT_EQ(model.Text(), L"!@#$%^&*()_+{}|:\"<>?");  // the ampersand key types one "&"
}

TEST(KeyModelTest, ShiftStaysOnUntilReleased) {
  KeyModel model;
  EXPECT_EQ(Type(model, {kShiftOn, Number(0), Number(1), Letter('a')}), L"!@a");
  EXPECT_TRUE(model.Shift());
  EXPECT_FALSE(model.Visible(kShiftOn));
  EXPECT_TRUE(model.Visible(kShiftOff));
  EXPECT_EQ(Type(model, {kShiftOff, Number(0), Symbol(0)}), L"!@a1-");
  EXPECT_EQ(model.Caption(Number(6)), L"7");
}

TEST(KeyModelTest, CapsLockAndShiftAreIndependent) {
  const struct {
    std::vector<KeyId> keys;
    std::wstring text;
  } cases[] = {
      {{Letter('k'), Letter('e'), kSpace, Letter('z')}, L"ke z"},
      {{kCapsOn, Letter('k'), Number(0)}, L"K1"},
      {{kShiftOn, Letter('k'), Number(0)}, L"k!"},
      {{kCapsOn, kShiftOn, Letter('k'), Number(0)}, L"K!"},
      {{kCapsOn, kShiftOn, kCapsOff, Letter('k'), Number(0)}, L"k!"},
      {{kCapsOn, kShiftOn, kShiftOff, Letter('k'), Number(0)}, L"K1"},
      {{kCapsOn, kCapsOn, kCapsOff, Letter('q')}, L"q"},  // the hidden press button does nothing
  };
  for (const auto& c : cases) {
    KeyModel model;
    EXPECT_EQ(Type(model, c.keys), c.text);
  }
}

TEST(KeyModelTest, CapsLockIndicatorAndCaptions) {
  KeyModel model;
  model.Click(kCapsOn);
  EXPECT_EQ(model.IndicatorText(), L"[ ON ]");
  EXPECT_EQ(model.IndicatorColour(), 65280u);
  EXPECT_EQ(model.Caption(Letter('m')), L"M");
  EXPECT_EQ(model.Caption(kSpace), L"[  S  P  A  C  E  ]");
  EXPECT_FALSE(model.Visible(kCapsOn));
  EXPECT_TRUE(model.Visible(kCapsOff));
  model.Click(kCapsOff);
  EXPECT_EQ(model.IndicatorText(), L"[ OFF ]");
  EXPECT_EQ(model.Caption(Letter('m')), L"m");
}

TEST(KeyModelTest, BackspaceRemovesOnlyTheLastCharacter) {
  KeyModel model;
  model.Click(kDel);
  EXPECT_EQ(model.Text(), L"");
  EXPECT_EQ(Type(model, {Letter('a'), Letter('b'), Letter('a'), Letter('a'), kDel}), L"aba");
  model.SetText(L"x\U0001F600");  // edited in the box itself: a character of two UTF-16 units
  model.Click(kDel);
  EXPECT_EQ(model.Text(), L"x");
}

TEST(KeyModelTest, UnknownKeysDoNothing) {
  KeyModel model;
  for (const KeyId key : {KeyId{KeyGroup::Huruf, 27}, KeyId{KeyGroup::Number, -1}, KeyId{KeyGroup::Del, 1},
                          KeyId{KeyGroup::Con, 2}}) {
    EXPECT_EQ(model.Caption(key), L"");
    EXPECT_FALSE(model.Visible(key));
    model.Click(key);
  }
  EXPECT_EQ(model.Text(), L"");
  EXPECT_FALSE(model.CapsLock());
}

TEST(KeyModelTest, ResetReturnsToTheLoadState) {
  KeyModel model;
  Type(model, {kCapsOn, kShiftOn, Letter('a')});
  model.Reset();
  EXPECT_EQ(model.Text(), L"");
  EXPECT_FALSE(model.CapsLock());
  EXPECT_FALSE(model.Shift());
}

TEST(InfoTextTest, AnswersForEveryIndex) {
  const wchar_t* expected[] = {L" ( Beta )", L"KESTRO Antivirus - Ver. 3.4", L"3.4", L"KESTRO Antivirus",
                               L"29 September 2012", nullptr, L"6.08", L"6.7", L"6.2", L""};
  for (int n = 0; n < 10; ++n) {
    if (expected[n] == nullptr) continue;
    EXPECT_EQ(InfoText(n), expected[n]) << n;
  }
  EXPECT_EQ(InfoText(5).rfind(L"http", 0), 0u);
  EXPECT_EQ(InfoText(-1), L"");
  EXPECT_EQ(InfoText(32767), L"");
}

}  // namespace
}  // namespace kestro::keyboard
