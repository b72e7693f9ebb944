#pragma once
// The folder tree of the "Directory" tab: "My Computer" with the drives below
// it; a folder's subfolders are read when it is first expanded. Selecting a
// node gives the text the target box takes.

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace kestro::app::scan_page {

class FolderTree {
 public:
  HWND Create(HWND parent, int id);
  HWND Handle() const { return tree_; }
  // Fills the root and the drives (again, when called again).
  void LoadDrives();
  // TVN_ITEMEXPANDINGW: reads the subfolders of a node the first time.
  void OnExpanding(const NMTREEVIEWW& info);
  // TVN_SELCHANGEDW: the target box text of the selected node.
  std::optional<std::wstring> TargetOf(const NMTREEVIEWW& info) const;

 private:
  HTREEITEM AddNode(HTREEITEM parent, const std::wstring& caption, const std::wstring& path, int icon,
                    bool hasChildren);
  int IconOf(const std::wstring& path) const;

  HWND tree_ = nullptr;
  HTREEITEM root_ = nullptr;
  std::vector<std::wstring> paths_;  // lParam of a node = index + 1; the root has 0
  std::vector<bool> loaded_;
};

}  // namespace kestro::app::scan_page
