// File facts the process manager and its detail window show: version record,
// embedded signature, icons, creation date, the shell's Properties dialog.
#pragma once

#include <windows.h>
// The Windows headers below build on the types above.
#include <commctrl.h>

#include <string>

#include "systools/version_record.hpp"

namespace kestro::systools {

// The version record through the version API; all "N/A" without one.
VersionRecord ReadVersionRecord(const std::wstring& path);

// The embedded-signature test: the file holds an embedded PKCS #7 signed
// object. The chain and trust are not checked.
enum class SignatureState {
  NotSigned,
  Signed,
  SignedWithoutSignerSize,  // signed, but the signer information's size could not be read
};
SignatureState TestEmbeddedSignature(const std::wstring& path);
// 1 when signed (in either form), else 0.
int EmbeddedSignatureValue(SignatureState state);
// Shows "Unable to determine buffer size for CryptMsgGetParam !" for a
// SignedWithoutSignerSize state; nothing otherwise.
void ReportSignatureState(HWND owner, const std::wstring& title, SignatureState state);

// The signature display: the icon and text of a test result.
inline constexpr const wchar_t* kSignedText = L"( This file is contain a valid digital signature )";
inline constexpr const wchar_t* kNotSignedText = L"( This file is not contain a valid digital signature )";
// Icon 0 (signed) or 3 (not signed) of the system's "certmgr.dll"; a stock
// icon when that library has none. The caller destroys it.
HICON LoadSignatureIcon(bool isSigned);

// The system image list and a file's place in it (small or large icons).
HIMAGELIST SystemImageList(bool small);
int SystemIconIndex(const std::wstring& path, bool small);
// The file's 32 x 32 shell icon drawn transparently at (x, y).
void DrawFileIcon(HDC dc, const std::wstring& path, int x, int y);

// The file's creation date and time as text (short date, then time), empty
// when it cannot be read.
std::wstring FileCreationText(const std::wstring& path);
// A path holding "~" in its long form; unchanged otherwise or on failure.
std::wstring LongFormIfShort(const std::wstring& path);
bool FileExists(const std::wstring& path);

// The shell's Properties dialog for the file ("properties" verb, item-id list
// invoked, no error interface).
bool ShowFileProperties(HWND owner, const std::wstring& path);

}  // namespace kestro::systools
