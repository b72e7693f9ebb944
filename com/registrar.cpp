#include "com/registrar.hpp"

#include <vector>

namespace kestro::com {
namespace {

std::string Join(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

long RegisterKey(RegistryAccess& registry, RegistryRoot root, const std::string& parent, const ScriptKey& key) {
  const std::string path = Join(parent, key.name);
  if (key.flag == KeyFlag::ForceRemove) {
    const long removed = registry.DeleteTree(root, path);
    if (removed != kRegOk && removed != kRegNotFound) return removed;
  }
  if (const long created = registry.CreateKey(root, path); created != kRegOk) return created;
  if (key.defaultValue) {
    if (const long set = registry.SetText(root, path, "", *key.defaultValue); set != kRegOk) return set;
  }
  for (const ScriptValue& value : key.values) {
    if (const long set = registry.SetText(root, path, value.name, value.data); set != kRegOk) return set;
  }
  for (const ScriptKey& subkey : key.subkeys) {
    if (const long status = RegisterKey(registry, root, path, subkey); status != kRegOk) return status;
  }
  return kRegOk;
}

// Deletes a key no other subkey keeps; a kept key stays without being an error.
long DeleteKeyUnlessKept(RegistryAccess& registry, RegistryRoot root, const std::string& path) {
  std::vector<std::string> subkeys;
  if (const long listed = registry.ListSubkeys(root, path, subkeys); listed != kRegOk) return listed;
  return subkeys.empty() ? registry.DeleteKey(root, path) : kRegOk;
}

// Keeps the first failure but goes on, so one stubborn key does not leave the
// rest of the registration behind.
void Note(long& first, long status) {
  if (first == kRegOk && status != kRegOk && status != kRegNotFound) first = status;
}

void RemoveNamedValues(RegistryAccess& registry, RegistryRoot root, const std::string& path, const ScriptKey& key,
                       long& first) {
  for (const ScriptValue& value : key.values) Note(first, registry.DeleteValue(root, path, value.name));
}

void RemoveKey(RegistryAccess& registry, RegistryRoot root, const std::string& parent, const ScriptKey& key,
               long& first) {
  const std::string path = Join(parent, key.name);
  if (!registry.KeyExists(root, path)) return;
  switch (key.flag) {
    case KeyFlag::ForceRemove:
      Note(first, registry.DeleteTree(root, path));
      return;
    case KeyFlag::NoRemove:
      for (const ScriptKey& subkey : key.subkeys) RemoveKey(registry, root, path, subkey, first);
      RemoveNamedValues(registry, root, path, key, first);
      return;
    case KeyFlag::None:
      for (const ScriptKey& subkey : key.subkeys) RemoveKey(registry, root, path, subkey, first);
      Note(first, DeleteKeyUnlessKept(registry, root, path));
      if (registry.KeyExists(root, path)) RemoveNamedValues(registry, root, path, key, first);
      return;
  }
}

long RemoveScript(RegistryAccess& registry, const RegistryScript& script) {
  long first = kRegOk;
  for (const ScriptRoot& root : script.roots) {
    for (const ScriptKey& key : root.keys) RemoveKey(registry, root.root, "", key, first);
  }
  return first;
}

}  // namespace

long ApplyRegistryScript(RegistryAccess& registry, const RegistryScript& script, ScriptMode mode) {
  if (mode == ScriptMode::Remove) return RemoveScript(registry, script);
  for (const ScriptRoot& root : script.roots) {
    for (const ScriptKey& key : root.keys) {
      if (const long status = RegisterKey(registry, root.root, "", key); status != kRegOk) {
        RemoveScript(registry, script);
        return status;
      }
    }
  }
  return kRegOk;
}

long ApplyRegistryScriptText(RegistryAccess& registry, std::string_view text, const Replacements& replacements,
                             ScriptMode mode) {
  std::string error;
  const auto expanded = ExpandReplacements(text, replacements, error);
  if (!expanded) return kRegInvalidData;
  const ParseResult parsed = ParseRegistryScript(*expanded);
  if (!parsed.script) return kRegInvalidData;
  return ApplyRegistryScript(registry, *parsed.script, mode);
}

}  // namespace kestro::com
