// Turning the path forms that processes report into the plain drive-letter
// form shown in the process list and used by its operations.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestro::systools {

// Replaces every occurrence of `what` in `text` by `with`, left to right,
// comparing ASCII letters without regard to case.
std::wstring ReplaceIgnoringCase(std::wstring_view text, std::wstring_view what, std::wstring_view with);

// Removes "\??\" and "\\?\", replaces "\SystemRoot\" and "%systemroot%" by
// `windowsFolder` with one trailing "\", then folds "\\" into "\" (all
// comparisons ignore case). A network path keeps its leading "\\" (also when
// it came as "\\?\UNC\" or "\??\UNC\"), so it still names its server.
std::wstring NormaliseProcessPath(std::wstring_view path, std::wstring_view windowsFolder);

// "\Device\HarddiskVolume1\x.exe" in drive-letter form through the given
// device names of the drives (each pair: "C:", "\Device\HarddiskVolume1").
// Unchanged when no device matches.
struct DriveDevice {
  std::wstring drive;
  std::wstring device;
};
std::wstring DevicePathToDrivePath(std::wstring_view path, const std::vector<DriveDevice>& drives);

// The last component of a path ("explorer.exe" of "C:\Windows\explorer.exe").
std::wstring FileNameOf(std::wstring_view path);

}  // namespace kestro::systools
