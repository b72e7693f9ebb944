#include "app/status_frame.hpp"

#include <algorithm>

namespace kestro::app {

bool StatusFrame::Click() {
  if (animating_) return false;
  animating_ = true;
  return true;
}

bool StatusFrame::Step() {
  if (!animating_) return false;
  if (!expanded_) {
    height_ = std::min(height_ + kStatusFrameStepTwips, kStatusFrameExpandedTwips);
    if (height_ == kStatusFrameExpandedTwips) {
      expanded_ = true;
      animating_ = false;
    }
  } else {
    height_ = std::max(height_ - kStatusFrameStepTwips, kStatusFrameCollapsedTwips);
    if (height_ == kStatusFrameCollapsedTwips) {
      expanded_ = false;
      animating_ = false;
    }
  }
  return animating_;
}

int TwipsToPixels(int twips) { return (twips + 7) / 15; }

}  // namespace kestro::app
