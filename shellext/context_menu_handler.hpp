#pragma once
// The Explorer context-menu handler: takes the first selected folder from the
// shell's data object and offers "Scan with KESTRO Antivirus", which starts the
// main program from this DLL's own folder with that path as its whole command line.
#include <windows.h>
#include <shlobj.h>

namespace kestro::shellext {

inline constexpr wchar_t kMenuText[] = L"Scan with KESTRO Antivirus";
inline constexpr wchar_t kHelpText[] = L"This is the KESTRO Shell Extension's help";
inline constexpr wchar_t kProgramFile[] = L"KESTRO Antivirus.exe";

class ContextMenuHandler final : public IShellExtInit, public IContextMenu {
 public:
  static HRESULT Create(REFIID iid, void** object);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IShellExtInit
  HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY classKey) override;
  // IContextMenu
  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                             UINT flags) override;
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT kind, UINT* reserved, CHAR* buffer,
                                             UINT length) override;

 private:
  ContextMenuHandler();
  ~ContextMenuHandler();
  ContextMenuHandler(const ContextMenuHandler&) = delete;
  ContextMenuHandler& operator=(const ContextMenuHandler&) = delete;

  // Makes the menu picture: bitmap 102 copied, its top-left colour replaced by the
  // menu colour. The handler owns it (the menu does not) and frees the previous one.
  HBITMAP PrepareMenuPicture();

  volatile LONG refs_ = 1;
  wchar_t selected_[MAX_PATH] = {};  // first selected path, set by Initialize
  HBITMAP menuPicture_ = nullptr;
};

}  // namespace kestro::shellext
