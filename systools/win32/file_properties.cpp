#include "systools/win32/file_properties.hpp"

#include <shellapi.h>
#include <wincrypt.h>

#include <vector>

#include "systools/win32/scoped_handle.hpp"

namespace kestro::systools {

VersionRecord ReadVersionRecord(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return VersionRecord{};
  std::vector<std::uint8_t> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return VersionRecord{};

  VersionSource source;
  void* translation = nullptr;
  UINT translationLength = 0;
  if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &translation, &translationLength) &&
      translationLength >= 4) {
    const auto* words = static_cast<const WORD*>(translation);
    source.translation = std::pair<std::uint16_t, std::uint16_t>{words[0], words[1]};
  }
  source.query = [&data](const std::wstring& subBlock) -> std::optional<std::wstring> {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), subBlock.c_str(), &value, &length) || value == nullptr)
      return std::nullopt;
    // The length counts characters; the text ends at its first NUL in any case.
    const auto* text = static_cast<const wchar_t*>(value);
    std::wstring result;
    for (UINT i = 0; i < length && text[i] != L'\0'; ++i) result.push_back(text[i]);
    return result;
  };
  source.languageName = [](std::uint16_t language) -> std::optional<std::wstring> {
    wchar_t name[256] = {};
    if (VerLanguageNameW(language, name, 256) == 0) return std::nullopt;
    return std::wstring(name);
  };
  return BuildVersionRecord(source);
}

SignatureState TestEmbeddedSignature(const std::wstring& path) {
  HCRYPTMSG message = nullptr;
  HCERTSTORE store = nullptr;
  DWORD encoding = 0, contentType = 0, formatType = 0;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType, &store,
                        &message, nullptr)) {
    return SignatureState::NotSigned;
  }
  DWORD signerSize = 0;
  CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &signerSize);
  if (message != nullptr) CryptMsgClose(message);
  if (store != nullptr) CertCloseStore(store, 0);
  return signerSize == 0 ? SignatureState::SignedWithoutSignerSize : SignatureState::Signed;
}

int EmbeddedSignatureValue(SignatureState state) {
  return state == SignatureState::NotSigned ? 0 : 1;
}

void ReportSignatureState(HWND owner, const std::wstring& title, SignatureState state) {
  if (state != SignatureState::SignedWithoutSignerSize) return;
  MessageBoxW(owner, L"Unable to determine buffer size for CryptMsgGetParam !", title.c_str(),
              MB_OK | MB_ICONWARNING);
}

HICON LoadSignatureIcon(bool isSigned) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring library = std::wstring(system) + L"\\certmgr.dll";
  HICON icon = nullptr;
  if (ExtractIconExW(library.c_str(), isSigned ? 0 : 3, &icon, nullptr, 1) == 1 && icon != nullptr)
    return icon;
  // The stock shield and warning icons stand in where the library has no icons.
  return CopyIcon(LoadIconW(nullptr, isSigned ? IDI_SHIELD : IDI_WARNING));
}

HIMAGELIST SystemImageList(bool small) {
  SHFILEINFOW info{};
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
      windows, 0, &info, sizeof(info), SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON)));
}

int SystemIconIndex(const std::wstring& path, bool small) {
  SHFILEINFOW info{};
  if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info),
                     SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON)) == 0) {
    return 0;
  }
  return info.iIcon;
}

void DrawFileIcon(HDC dc, const std::wstring& path, int x, int y) {
  HIMAGELIST images = SystemImageList(false);
  if (images == nullptr) return;
  ImageList_Draw(images, SystemIconIndex(path, false), dc, x, y, ILD_TRANSPARENT);
}

std::wstring FileCreationText(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&data.ftCreationTime, &local) || !FileTimeToSystemTime(&local, &time))
    return {};
  wchar_t date[80] = {};
  wchar_t clock[80] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 80);
  return std::wstring(date) + L" " + clock;
}

std::wstring LongFormIfShort(const std::wstring& path) {
  if (path.find(L'~') == std::wstring::npos) return path;
  const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return path;
  std::wstring longForm(needed, L'\0');
  const DWORD written = GetLongPathNameW(path.c_str(), longForm.data(), needed);
  if (written == 0 || written >= needed) return path;
  longForm.resize(written);
  return longForm;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ShowFileProperties(HWND owner, const std::wstring& path) {
  SHELLEXECUTEINFOW info{sizeof(info)};
  info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = L"properties";
  info.lpFile = path.c_str();
  info.lpParameters = L"";
  info.lpDirectory = L"";
  info.nShow = SW_HIDE;
  const bool shown = ShellExecuteExW(&info) != FALSE;
  ScopedHandle process(info.hProcess);
  return shown;
}

}  // namespace kestro::systools
