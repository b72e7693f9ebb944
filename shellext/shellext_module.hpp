#pragma once
// The KESTROExtc module object and the handler's identifiers.
#include <windows.h>

#include "com/win32/com_module.hpp"

namespace kestro::shellext {

// {956D4D60-CC93-4106-8508-22C730049DEE}: the context-menu handler.
inline constexpr CLSID kClsidKestroExtc = {0x956D4D60, 0xCC93, 0x4106, {0x85, 0x08, 0x22, 0xC7, 0x30, 0x04, 0x9D, 0xEE}};
// {956D4D63-...}: the type-library identifier the module is initialised with. No
// type library is built into the DLL or registered; the value only names the
// module, as the registered layout expects.
inline constexpr GUID kLibidKestroExtc = {0x956D4D63, 0xCC93, 0x4106, {0x85, 0x08, 0x22, 0xC7, 0x30, 0x04, 0x9D, 0xEE}};

inline constexpr int kRegistryScriptId = 101;
inline constexpr int kMenuBitmapId = 102;
inline constexpr int kIconGroupId = 202;
inline constexpr int kLibraryNameStringId = 100;

com::ComModule& Module();

}  // namespace kestro::shellext
