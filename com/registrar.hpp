#pragma once
// Applies a registry script in register or remove mode, the way ATL's registrar
// does for the subset our scripts use:
//  register: ForceRemove keys are deleted with their subkeys first; every key is
//            created and its values written. A failure undoes what was written
//            (the script is applied in remove mode) and is returned.
//  remove:   NoRemove keys stay (only their listed named values go) and their
//            subkeys are visited; ForceRemove keys go with all their subkeys;
//            other keys go once their listed subkeys are gone and no other
//            subkey keeps them. Missing keys are not errors.

#include <string>
#include <string_view>

#include "com/rgs_script.hpp"
#include "platform/registry.hpp"

namespace kestro::com {

using platform::RegistryAccess;
using platform::kRegAccessDenied;
using platform::kRegInvalidData;
using platform::kRegNotFound;
using platform::kRegOk;

enum class ScriptMode { Register, Remove };

// Returns a Win32 error code (kRegOk on success).
long ApplyRegistryScript(RegistryAccess& registry, const RegistryScript& script, ScriptMode mode);

// Expands the replacements, parses and applies; a malformed script or an unknown
// replacement gives kRegInvalidData and touches nothing.
long ApplyRegistryScriptText(RegistryAccess& registry, std::string_view text,
                             const Replacements& replacements, ScriptMode mode);

}  // namespace kestro::com
