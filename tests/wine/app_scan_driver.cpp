#include "tests/wine/app_scan_driver.hpp"

#include <commctrl.h>

#include <fstream>
#include <thread>

namespace kestro::test::app_scan {
namespace fs = std::filesystem;

RunningProgram::RunningProgram(const fs::path& programFolder, const std::wstring& arguments) {
  const fs::path program = programFolder / L"KESTRO Antivirus.exe";
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     programFolder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

RunningProgram::~RunningProgram() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
}

std::optional<DWORD> RunningProgram::WaitForExit(std::chrono::milliseconds limit) {
  if (process_ == nullptr) return std::nullopt;
  if (WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

namespace {

struct TopLevelSearch {
  DWORD processId;
  const wchar_t* className;
  const wchar_t* title;
  HWND found = nullptr;
};

BOOL CALLBACK OnTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t className[128] = {};
  GetClassNameW(window, className, 128);
  if (lstrcmpW(className, search->className) != 0) return TRUE;
  if (search->title != nullptr && TextOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

MessageBoxSeen::Icon IconByColour(HWND iconControl) {
  RECT rect{};
  GetWindowRect(iconControl, &rect);
  HDC screen = GetDC(nullptr);
  int red = 0, yellow = 0, blue = 0;
  for (int y = rect.top; y < rect.bottom; y += 2) {
    for (int x = rect.left; x < rect.right; x += 2) {
      const COLORREF c = GetPixel(screen, x, y);
      const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      if (r > 170 && g > 140 && b < 110) ++yellow;
      else if (r > 150 && g < 110 && b < 110) ++red;
      else if (b > 150 && r < 130) ++blue;
    }
  }
  ReleaseDC(nullptr, screen);
  if (red == 0 && yellow == 0 && blue == 0) return MessageBoxSeen::Icon::Unknown;
  if (red >= yellow && red >= blue) return MessageBoxSeen::Icon::Error;
  if (yellow >= blue) return MessageBoxSeen::Icon::Exclamation;
  return MessageBoxSeen::Icon::Information;
}

}  // namespace

HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title) {
  TopLevelSearch search{processId, className, title};
  EnumWindows(&OnTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
  if (parent == nullptr) return nullptr;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[128] = {};
    GetClassNameW(child, name, 128);
    if (lstrcmpW(name, className) == 0) return child;
    if (HWND deeper = FindDescendant(child, className)) return deeper;
  }
  return nullptr;
}

std::wstring TextOf(HWND window) {
  wchar_t text[2048] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

std::optional<MessageBoxSeen> FindMessageBox(DWORD processId) {
  HWND dialog = FindTopLevel(processId, L"#32770");
  if (dialog == nullptr) return std::nullopt;
  MessageBoxSeen seen;
  seen.dialog = dialog;
  seen.caption = TextOf(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, L"Static") != 0) continue;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      if (IsWindowVisible(child)) seen.icon = IconByColour(child);
      continue;
    }
    const std::wstring text = TextOf(child);
    if (text.size() > seen.text.size()) seen.text = text;
  }
  return seen;
}

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, std::chrono::milliseconds limit) {
  std::optional<MessageBoxSeen> seen;
  WaitUntil([&] { return (seen = FindMessageBox(processId)).has_value(); }, limit);
  if (seen) {
    // Let it paint before its icon is read from the screen.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    seen = FindMessageBox(processId);
  }
  return seen;
}

void Press(HWND dialog, int buttonId) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
  WaitUntil([&] { return !IsWindow(dialog); }, std::chrono::seconds(10));
}

RemoteBuffer::RemoteBuffer(HWND ownerWindow, std::size_t size) {
  DWORD processId = 0;
  GetWindowThreadProcessId(ownerWindow, &processId);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process_ != nullptr) {
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
}

RemoteBuffer::~RemoteBuffer() {
  if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_ != nullptr) CloseHandle(process_);
}

bool RemoteBuffer::Write(std::size_t offset, const void* data, std::size_t size) {
  SIZE_T written = 0;
  return WriteProcessMemory(process_, At(offset), data, size, &written) && written == size;
}

bool RemoteBuffer::Read(std::size_t offset, void* data, std::size_t size) const {
  SIZE_T read = 0;
  return ReadProcessMemory(process_, At(offset), data, size, &read) && read == size;
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<ListRow> ReadRows(HWND list, int columns) {
  constexpr std::size_t kTextOffset = 256;
  constexpr int kTextChars = 1024;
  RemoteBuffer remote(list, kTextOffset + kTextChars * sizeof(wchar_t));
  std::vector<ListRow> rows;
  const int count = RowCount(list);
  for (int row = 0; row < count; ++row) {
    ListRow read;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = static_cast<wchar_t*>(remote.At(kTextOffset));
      item.cchTextMax = kTextChars;
      remote.Write(0, &item, sizeof item);
      const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                       reinterpret_cast<LPARAM>(remote.Address()));
      std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
      if (length > 0) remote.Read(kTextOffset, text.data(), text.size() * sizeof(wchar_t));
      read.cells.push_back(text);
    }
    LVITEMW item{};
    item.mask = LVIF_IMAGE | LVIF_STATE;
    item.iItem = row;
    item.stateMask = LVIS_SELECTED;
    remote.Write(0, &item, sizeof item);
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()));
    remote.Read(0, &item, sizeof item);
    read.iconNumber = item.iImage + 1;
    read.selected = (item.state & LVIS_SELECTED) != 0;
    rows.push_back(std::move(read));
  }
  return rows;
}

void SelectRow(HWND list, int row) {
  RemoteBuffer remote(list, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  remote.Write(0, &item, sizeof item);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.Address()));
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(0, &item, sizeof item);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address()));
}

RECT RowRect(HWND list, int row) {
  RemoteBuffer remote(list, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  remote.Write(0, &rect, sizeof rect);
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address()));
  remote.Read(0, &rect, sizeof rect);
  return rect;
}

std::optional<ProgramWindows> WaitForProgramWindows(DWORD processId, std::chrono::milliseconds limit) {
  ProgramWindows windows;
  const bool found = WaitUntil(
      [&] {
        windows.main = FindTopLevel(processId, L"KestroMainWindow");
        if (windows.main == nullptr) return false;
        windows.scanPage = FindDescendant(windows.main, L"KestroScanPage");
        windows.quarantinePanel = FindDescendant(windows.main, L"KestroQuarantinePanel");
        return windows.scanPage != nullptr;
      },
      limit);
  if (!found) return std::nullopt;
  return windows;
}

bool SaveScreen(const fs::path& bmpFile, RECT area) {
  if (area.right <= area.left || area.bottom <= area.top) {
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageSize;
  std::ofstream out(bmpFile, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), imageSize);
  const bool ok = static_cast<bool>(out);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

std::optional<DWORD> ReadMarker(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\KESTRO", name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

void DeleteMarker(const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KESTRO", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

}  // namespace kestro::test::app_scan
