#include "app/scan_page/win32/folder_tree.hpp"

#include <shellapi.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <algorithm>

#include "app/scan_page/page_texts.hpp"
#include "app/scan_page/win32/wide_text.hpp"
#include "app/scan_page/win32/window_base.hpp"

namespace kestro::app::scan_page {
namespace {

DriveKind KindOf(UINT type) {
  switch (type) {
    case DRIVE_FIXED: return DriveKind::Fixed;
    case DRIVE_CDROM: return DriveKind::Optical;
    case DRIVE_REMOVABLE: return DriveKind::Removable;
    case DRIVE_REMOTE: return DriveKind::Network;
    default: return DriveKind::Other;
  }
}

bool HasSubfolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchLimitToDirectories,
                                 nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    const std::wstring name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..") found = true;
  } while (!found && FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
  return path;
}

}  // namespace

HWND FolderTree::Create(HWND parent, int id) {
  tree_ = MakeControl(parent, WC_TREEVIEWW, L"",
                      TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP |
                          WS_CLIPSIBLINGS,
                      id, WS_EX_CLIENTEDGE);
  SetWindowTheme(tree_, L"Explorer", nullptr);
  SHFILEINFOW info{};
  auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images != nullptr) TreeView_SetImageList(tree_, images, TVSIL_NORMAL);
  return tree_;
}

int FolderTree::IconOf(const std::wstring& path) const {
  SHFILEINFOW info{};
  if (path.empty()) {
    PIDLIST_ABSOLUTE computer = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer))) {
      SHGetFileInfoW(reinterpret_cast<LPCWSTR>(computer), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
      CoTaskMemFree(computer);
    }
    return info.iIcon;
  }
  SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

HTREEITEM FolderTree::AddNode(HTREEITEM parent, const std::wstring& caption, const std::wstring& path, int icon,
                              bool hasChildren) {
  LPARAM tag = 0;
  if (!path.empty()) {
    paths_.push_back(path);
    loaded_.push_back(false);
    tag = static_cast<LPARAM>(paths_.size());
  }
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<wchar_t*>(caption.c_str());
  insert.item.lParam = tag;
  insert.item.cChildren = hasChildren ? 1 : 0;
  insert.item.iImage = icon;
  insert.item.iSelectedImage = icon;
  return TreeView_InsertItem(tree_, &insert);
}

void FolderTree::LoadDrives() {
  TreeView_DeleteAllItems(tree_);
  paths_.clear();
  loaded_.clear();
  root_ = AddNode(TVI_ROOT, Wide(kMyComputer), L"", IconOf(L""), true);
  wchar_t drives[512] = {};
  const DWORD length = GetLogicalDriveStringsW(511, drives);
  for (const wchar_t* drive = drives; length > 0 && length < 512 && *drive != L'\0'; drive += wcslen(drive) + 1) {
    const std::wstring path = drive;  // "C:\"
    const std::wstring caption = Wide(DriveCaption(KindOf(GetDriveTypeW(drive)), static_cast<char>(path[0])));
    AddNode(root_, caption, path, IconOf(path), true);
  }
  TreeView_Expand(tree_, root_, TVE_EXPAND);
}

void FolderTree::OnExpanding(const NMTREEVIEWW& info) {
  if (info.action != TVE_EXPAND) return;
  const auto tag = static_cast<std::size_t>(info.itemNew.lParam);
  if (tag == 0 || tag > paths_.size() || loaded_[tag - 1]) return;
  loaded_[tag - 1] = true;
  const std::wstring folder = WithBackslash(paths_[tag - 1]);

  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchLimitToDirectories,
                                 nullptr, 0);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..") {
        names.push_back(name);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });

  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  if (names.empty()) {
    // Nothing below after all: the node loses its expand button.
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = info.itemNew.hItem;
    item.cChildren = 0;
    TreeView_SetItem(tree_, &item);
  }
  for (const std::wstring& name : names) {
    const std::wstring path = folder + name;
    AddNode(info.itemNew.hItem, name, path, IconOf(path), HasSubfolder(WithBackslash(path)));
  }
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
}

std::optional<std::wstring> FolderTree::TargetOf(const NMTREEVIEWW& info) const {
  if (info.itemNew.hItem == nullptr) return std::nullopt;
  const auto tag = static_cast<std::size_t>(info.itemNew.lParam);
  if (tag == 0) return Wide(TargetTextForNode("", true));
  if (tag > paths_.size()) return std::nullopt;
  return Wide(TargetTextForNode(Utf8(paths_[tag - 1]), false));
}

}  // namespace kestro::app::scan_page
