#pragma once
// Windows shortcut files: where the target points, and byte markers inside them.

#include <string_view>

#include "checks/check_result.hpp"
#include "io/file_view.hpp"
#include "platform/path_exists.hpp"

namespace kestro::checks {

// How a shortcut's target is tested for existence (the platform in the product,
// a fake in tests).
class TargetExistence {
 public:
  virtual ~TargetExistence() = default;
  virtual platform::PathExistence Exists(std::string_view windowsPath) const = 0;
};

// PathFileExistsW on Windows; elsewhere every answer is Unknown.
class PlatformTargetExistence final : public TargetExistence {
 public:
  platform::PathExistence Exists(std::string_view windowsPath) const override {
    return platform::WindowsPathExists(windowsPath);
  }
};

// Shortcut target check: "W32.FAKE SHORTCUT" for a missing target, "W32.FFD.H.ROOT"
// for an existing one inside "RECYCLER". A file that is not a readable shortcut,
// or a target whose existence cannot be judged on this system, gives no hit.
CheckResult ShortcutTargetCheck(FileView& file, const TargetExistence& existence);

// Shortcut check: the target check, then the byte markers.
CheckResult ShortcutCheck(FileView& file, const TargetExistence& existence);

}  // namespace kestro::checks
