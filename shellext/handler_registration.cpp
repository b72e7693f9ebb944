#include "shellext/handler_registration.hpp"

namespace kestro::shellext {

long RegisterHandler(com::RegistryAccess& registry, bool ntFamily, std::string_view script,
                     const com::Replacements& replacements) {
  if (ntFamily) {
    // The key is opened, not created: it belongs to Windows, and a caller that may
    // not write there is not allowed to register shell extensions at all.
    if (!registry.KeyExists(com::RegistryRoot::LocalMachine, kApprovedKey)) return com::kRegAccessDenied;
    if (registry.SetText(com::RegistryRoot::LocalMachine, kApprovedKey, kHandlerClsid, kApprovedText) !=
        com::kRegOk) {
      return com::kRegAccessDenied;
    }
  }
  return com::ApplyRegistryScriptText(registry, script, replacements, com::ScriptMode::Register);
}

long UnregisterHandler(com::RegistryAccess& registry, bool ntFamily, std::string_view script,
                       const com::Replacements& replacements) {
  if (ntFamily) registry.DeleteValue(com::RegistryRoot::LocalMachine, kApprovedKey, kHandlerClsid);
  return com::ApplyRegistryScriptText(registry, script, replacements, com::ScriptMode::Remove);
}

}  // namespace kestro::shellext
