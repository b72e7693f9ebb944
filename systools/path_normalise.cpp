#include "systools/path_normalise.hpp"

namespace kestro::systools {
namespace {

wchar_t FoldAscii(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldAscii(text[i]) != FoldAscii(prefix[i])) return false;
  }
  return true;
}

// A leading network prefix in any of its spellings, and how long it is.
std::size_t NetworkPrefixLength(std::wstring_view path) {
  for (const std::wstring_view prefix : {L"\\\\?\\UNC\\", L"\\??\\UNC\\"}) {
    if (StartsWithIgnoringCase(path, prefix)) return prefix.size();
  }
  // "\\server" but not the "\\?\" or "\\.\" device forms.
  if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.' &&
      path[2] != L'\\') {
    return 2;
  }
  return 0;
}

}  // namespace

std::wstring ReplaceIgnoringCase(std::wstring_view text, std::wstring_view what, std::wstring_view with) {
  if (what.empty()) return std::wstring(text);
  std::wstring result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (StartsWithIgnoringCase(text.substr(i), what)) {
      result.append(with);
      i += what.size();
    } else {
      result.push_back(text[i]);
      ++i;
    }
  }
  return result;
}

std::wstring NormaliseProcessPath(std::wstring_view path, std::wstring_view windowsFolder) {
  const std::size_t networkPrefix = NetworkPrefixLength(path);
  std::wstring rest(path.substr(networkPrefix));

  std::wstring folder(windowsFolder);
  if (folder.empty() || folder.back() != L'\\') folder.push_back(L'\\');

  rest = ReplaceIgnoringCase(rest, L"\\??\\", L"");
  rest = ReplaceIgnoringCase(rest, L"\\\\?\\", L"");
  rest = ReplaceIgnoringCase(rest, L"\\SystemRoot\\", folder);
  rest = ReplaceIgnoringCase(rest, L"%systemroot%", folder);
  rest = ReplaceIgnoringCase(rest, L"\\\\", L"\\");
  if (networkPrefix == 0) return rest;
  // The server name follows the restored "\\" directly.
  while (!rest.empty() && rest.front() == L'\\') rest.erase(0, 1);
  return L"\\\\" + rest;
}

std::wstring DevicePathToDrivePath(std::wstring_view path, const std::vector<DriveDevice>& drives) {
  for (const DriveDevice& drive : drives) {
    if (drive.device.empty() || !StartsWithIgnoringCase(path, drive.device)) continue;
    // The device name must end at a path separator, so "\Device\HarddiskVolume1"
    // does not claim "\Device\HarddiskVolume10\...".
    if (path.size() > drive.device.size() && path[drive.device.size()] != L'\\') continue;
    return drive.drive + std::wstring(path.substr(drive.device.size()));
  }
  return std::wstring(path);
}

std::wstring FileNameOf(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

}  // namespace kestro::systools
