#include "shellext/context_menu_handler.hpp"

#include <shellapi.h>

#include <new>
#include <string>

#include "shellext/shellext_module.hpp"

namespace kestro::shellext {

HRESULT ContextMenuHandler::Create(REFIID iid, void** object) {
  auto* handler = new (std::nothrow) ContextMenuHandler();
  if (handler == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = handler->QueryInterface(iid, object);
  handler->Release();
  return hr;
}

ContextMenuHandler::ContextMenuHandler() { Module().Lock(); }

ContextMenuHandler::~ContextMenuHandler() {
  if (menuPicture_ != nullptr) DeleteObject(menuPicture_);
  Module().Unlock();
}

HRESULT ContextMenuHandler::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit)) {
    *object = static_cast<IShellExtInit*>(this);
  } else if (IsEqualIID(iid, IID_IContextMenu)) {
    *object = static_cast<IContextMenu*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ContextMenuHandler::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG ContextMenuHandler::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT ContextMenuHandler::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  selected_[0] = L'\0';
  if (data == nullptr) return E_INVALIDARG;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
  auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
  if (drop == nullptr) {
    ReleaseStgMedium(&medium);
    return E_INVALIDARG;
  }
  HRESULT result = E_INVALIDARG;
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 0) {
    // A name too long for the buffer is refused rather than cut: a shortened path
    // would hand the main program a different folder to scan.
    const UINT needed = DragQueryFileW(drop, 0, nullptr, 0);
    if (needed > 0 && needed < MAX_PATH && DragQueryFileW(drop, 0, selected_, MAX_PATH) != 0) {
      result = S_OK;
    } else {
      selected_[0] = L'\0';
    }
  }
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return result;
}

HBITMAP ContextMenuHandler::PrepareMenuPicture() {
  if (menuPicture_ != nullptr) {
    DeleteObject(menuPicture_);
    menuPicture_ = nullptr;
  }
  auto source = static_cast<HBITMAP>(
      LoadImageW(Module().Instance(), MAKEINTRESOURCEW(kMenuBitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (source == nullptr) return nullptr;
  BITMAP info{};
  HBITMAP picture = nullptr;
  if (GetObjectW(source, sizeof info, &info) != 0) {
    BITMAPINFO layout{};
    layout.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    layout.bmiHeader.biWidth = info.bmWidth;
    layout.bmiHeader.biHeight = info.bmHeight;
    layout.bmiHeader.biPlanes = info.bmPlanes;
    layout.bmiHeader.biBitCount = info.bmBitsPixel;
    layout.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    picture = CreateDIBSection(nullptr, &layout, DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  HDC from = CreateCompatibleDC(nullptr);
  HDC to = CreateCompatibleDC(nullptr);
  if (picture != nullptr && from != nullptr && to != nullptr) {
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, picture);
    BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
    const COLORREF key = GetPixel(to, 0, 0);
    const COLORREF menuColour = GetSysColor(COLOR_MENU);
    for (int y = 0; y < info.bmHeight; ++y) {
      for (int x = 0; x < info.bmWidth; ++x) {
        if (GetPixel(to, x, y) == key) SetPixel(to, x, y, menuColour);
      }
    }
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  DeleteObject(source);
  menuPicture_ = picture;
  return picture;
}

HRESULT ContextMenuHandler::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT, UINT flags) {
  if ((flags & CMF_DEFAULTONLY) != 0) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  HBITMAP picture = PrepareMenuPicture();
  if (!InsertMenuW(menu, index, MF_STRING | MF_BYPOSITION, firstId, kMenuText)) {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  if (picture != nullptr) SetMenuItemBitmaps(menu, firstId, MF_BYCOMMAND, picture, picture);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
}

HRESULT ContextMenuHandler::GetCommandString(UINT_PTR offset, UINT kind, UINT*, CHAR* buffer, UINT length) {
  if (offset != 0) return E_INVALIDARG;
  if ((kind & (GCS_HELPTEXTA | GCS_UNICODE)) == 0) return E_INVALIDARG;
  if (buffer == nullptr) return E_INVALIDARG;
  if (length == 0) return S_OK;
  if ((kind & GCS_UNICODE) != 0) {
    lstrcpynW(reinterpret_cast<wchar_t*>(buffer), kHelpText, static_cast<int>(length));
  } else {
    char narrow[128] = {};
    WideCharToMultiByte(CP_ACP, 0, kHelpText, -1, narrow, sizeof narrow, nullptr, nullptr);
    lstrcpynA(buffer, narrow, static_cast<int>(length));
  }
  return S_OK;
}

HRESULT ContextMenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  std::wstring folder = Module().ModulePath();
  const std::size_t slash = folder.find_last_of(L'\\');
  folder.resize(slash == std::wstring::npos ? 0 : slash);
  if (info == nullptr) return E_INVALIDARG;
  const auto verb = reinterpret_cast<ULONG_PTR>(info->lpVerb);
  if ((verb >> 16) != 0) return E_INVALIDARG;  // a verb given as text
  if ((verb & 0xFFFF) != 0) return E_INVALIDARG;
  const std::wstring program = folder + L"\\" + kProgramFile;
  // The shell's answer is not examined: a missing program just does nothing visible.
  ShellExecuteW(nullptr, L"open", program.c_str(), selected_, nullptr, SW_SHOWNORMAL);
  return S_OK;
}

}  // namespace kestro::shellext
