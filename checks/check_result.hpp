#pragma once
// What a check answers: a hit and its detection name, or no hit. Checks return
// it explicitly instead of writing a shared detection-name slot.

#include <string>
#include <utility>

namespace kestro::checks {

struct CheckResult {
  bool hit = false;
  std::string detectionName;

  static CheckResult Miss() { return {}; }
  static CheckResult Hit(std::string name) { return {true, std::move(name)}; }
  explicit operator bool() const { return hit; }
};

}  // namespace kestro::checks
