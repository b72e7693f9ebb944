#include "app/splash_progress.hpp"

namespace kestro::app {

std::vector<SplashAction> SplashProgress::Tick() {
  using K = SplashActionKind;
  std::vector<SplashAction> actions;
  if (finished_) return actions;

  if (value_ < 100) {
    actions.push_back({K::PumpMessages});
    ++value_;
    switch (value_) {
      case 70:
        actions.push_back({K::ShowMark, 2});
        break;
      case 80:
        actions.push_back({K::RunProcessScan});
        actions.push_back({K::MarkDone, 2});
        actions.push_back({K::StartScanSection});
        break;
      case 85:
        actions.push_back({K::ShowTreeLoading, 4});
        actions.push_back({K::LoadTree});
        actions.push_back({K::MarkDone, 4});
        break;
      case 90:
        actions.push_back({K::MarkDone, 3});
        break;
      default:
        break;  // 100 stops the timer below
    }
  }

  if (value_ < 10) {
    value_ += 3;
    actions.push_back({K::MarkDone, 0});
  } else if (value_ == 10) {
    value_ = 50;
  } else if (value_ >= 50 && value_ <= 59) {
    value_ += 2;
    actions.push_back({K::MarkDone, 1});
    if (!definitionsFilled_) {
      definitionsFilled_ = true;
      actions.push_back({K::FillDefinitions});
    }
  } else if (value_ == 60) {
    value_ = 80;
    actions.push_back({K::Wait, 1000});
  } else if (value_ == 100) {
    finished_ = true;
    actions.push_back({K::StopLoadTimer});
    actions.push_back({K::FadeOut});
    actions.push_back({K::StartFadeoutTimer});
    actions.push_back({K::Wait, 2000});
  }
  return actions;
}

bool SplashFadeout::Tick() {
  if (handedOver_) return false;
  if (opacity_ >= 1) {
    opacity_ -= 8;
    return false;
  }
  opacity_ = 0;
  handedOver_ = true;
  return true;
}

std::vector<int> FadeOutOpacities(int from) {
  std::vector<int> steps;
  for (int opacity = from; opacity > 0; opacity -= 2) steps.push_back(opacity);
  steps.push_back(0);
  return steps;
}

}  // namespace kestro::app
