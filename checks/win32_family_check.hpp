#pragma once
// Byte markers of named Win32 families at fixed windows of a 32-bit PE image
// (several in the "Rich" build stamp between the DOS stub and the PE header) and
// in the whole image.

#include <string>
#include <vector>

#include "checks/check_result.hpp"
#include "io/file_view.hpp"

namespace kestro::checks {

CheckResult Win32FamilyCheck(FileView& file);

// One row: a window (1-based start and length; length 0 = the whole file), the
// alternative markers (any one suffices) and the detection name.
struct Win32FamilyRow {
  std::int32_t start;
  std::int32_t length;
  std::vector<std::string> markers;
  const char* name;
};
const std::vector<Win32FamilyRow>& Win32FamilyRows();

// Only images below this size are examined (2 MiB).
inline constexpr std::int64_t kWin32FamilySizeLimit = 2097152;

}  // namespace kestro::checks
