#pragma once
// The KESTROKeyboard module object.
#include "com/win32/com_module.hpp"

namespace kestro::keyboard {

inline constexpr int kRegistryScriptId = 101;

com::ComModule& Module();

}  // namespace kestro::keyboard
