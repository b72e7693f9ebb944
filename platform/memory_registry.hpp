#pragma once
// An in-memory registry for tests, behaving as the Windows registry does where
// callers can tell: key and value names are case-insensitive and keep the case
// they were created with, key paths ignore empty parts (a trailing backslash),
// values keep their type and bytes, and a key with subkeys survives DeleteKey.
// Failures can be injected below chosen keys: changes (as for a caller without
// administrator rights on HKLM) or reads too (as for a key that cannot be seen).

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.hpp"

namespace kestro::platform {

class MemoryRegistry final : public RegistryAccess {
 public:
  long CreateKey(RegistryRoot root, const std::string& path) override;
  long OpenKey(RegistryRoot root, const std::string& path) override;
  long SetValue(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t type,
                std::span<const std::uint8_t> data) override;
  long ReadValue(RegistryRoot root, const std::string& path, const std::string& name,
                 RegistryValue& value) override;
  long DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
  long DeleteKey(RegistryRoot root, const std::string& path) override;
  long DeleteTree(RegistryRoot root, const std::string& path) override;
  long ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names) override;
  long ListValues(RegistryRoot root, const std::string& path, std::vector<RegistryValue>& values) override;

  // Every change at or below `path` fails with `error` from now on (an empty
  // path: the whole root).
  void FailChangesUnder(RegistryRoot root, const std::string& path, long error);
  // Every open, read and listing at or below `path` fails with `error` too.
  void FailReadsUnder(RegistryRoot root, const std::string& path, long error);

  // The text of a REG_SZ value, std::nullopt when it is missing.
  std::optional<std::string> GetString(RegistryRoot root, const std::string& path, const std::string& name) const;
  // Every key and value under the root, one line each, sorted: "path" for a key,
  // "path|name=data" for a value ("@" names the default value). A REG_SZ value
  // with its NUL shows as its text, a REG_DWORD as "dword:" and 8 hex digits,
  // anything else as "hex(type):" and its bytes, so equal dumps mean equal trees.
  std::vector<std::string> Dump(RegistryRoot root) const;

 private:
  struct Node {
    std::string name;
    std::map<std::string, Node> subkeys;  // by lower-case name
    std::vector<RegistryValue> values;    // in the order they were first written
  };
  struct Failure {
    RegistryRoot root;
    std::vector<std::string> parts;  // lower case
    long error;
    bool reads;
  };
  Node* Find(RegistryRoot root, const std::string& path);
  const Node* Find(RegistryRoot root, const std::string& path) const;
  long Refusal(RegistryRoot root, const std::string& path, bool read) const;

  std::map<RegistryRoot, Node> roots_;
  std::vector<Failure> failures_;
};

}  // namespace kestro::platform
