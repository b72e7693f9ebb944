#pragma once
// The status frame's "More" / "Fewer" animation. Heights are in twips (15 to a
// pixel at 96 dots per inch). "More" grows the frame by 150 twips a step until it
// is exactly 5,450; "Fewer" shrinks it the same way to exactly 2,000: 23 steps
// each way. A click while an animation runs is ignored; the caption changes when
// the animation ends.

#include <string_view>

namespace kestro::app {

inline constexpr int kStatusFrameCollapsedTwips = 2000;
inline constexpr int kStatusFrameExpandedTwips = 5450;
inline constexpr int kStatusFrameStepTwips = 150;

class StatusFrame {
 public:
  int HeightTwips() const { return height_; }
  std::wstring_view Caption() const { return expanded_ ? L"Fewer" : L"More"; }
  bool Animating() const { return animating_; }

  // The toggle button: starts the animation towards the other height. Answers
  // false (and does nothing) while an animation runs.
  bool Click();
  // One animation step; answers false once the target height is reached (the
  // caption has then changed). Without an animation it answers false.
  bool Step();

 private:
  int height_ = kStatusFrameCollapsedTwips;
  bool expanded_ = false;
  bool animating_ = false;
};

// Twips to pixels at 96 dots per inch, rounded to the nearest pixel.
int TwipsToPixels(int twips);

}  // namespace kestro::app
