#pragma once
// Registration steps of the Explorer context-menu handler, on the registrar's
// registry seam so they run natively in tests as well as in the DLL:
//  register: on the NT family the handler is first listed under the machine's
//            "Approved" shell extensions (refused: access denied, nothing else is
//            written), then the registry script is applied;
//  remove:   the approval is withdrawn (failures ignored), then the script is
//            applied in remove mode.

#include <string_view>

#include "com/registrar.hpp"

namespace kestro::shellext {

inline constexpr char kHandlerClsid[] = "{956D4D60-CC93-4106-8508-22C730049DEE}";
inline constexpr char kApprovedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
inline constexpr char kApprovedText[] = "KESTRO Shell Extension";

// Both return a Win32 error code: com::kRegAccessDenied when the approval cannot
// be written, else the script's result.
long RegisterHandler(com::RegistryAccess& registry, bool ntFamily, std::string_view script,
                     const com::Replacements& replacements);
long UnregisterHandler(com::RegistryAccess& registry, bool ntFamily, std::string_view script,
                       const com::Replacements& replacements);

}  // namespace kestro::shellext
