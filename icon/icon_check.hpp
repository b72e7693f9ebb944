#pragma once
// The icon step of the file check, behind an interface: the file check calls it
// for executables, and a build without the icon heuristic uses NoIconCheck.

#include <filesystem>

#include "checks/check_result.hpp"
#include "io/positioned_reader.hpp"

namespace kestro::checks {

class IconCheck {
 public:
  virtual ~IconCheck() = default;
  // Checks the executable at `path`, whose bytes `file` reads.
  virtual CheckResult Check(const std::filesystem::path& path, PositionedReader& file) const = 0;
};

class NoIconCheck final : public IconCheck {
 public:
  CheckResult Check(const std::filesystem::path&, PositionedReader&) const override {
    return CheckResult::Miss();
  }
};

}  // namespace kestro::checks
