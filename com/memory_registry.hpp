#pragma once
// An in-memory registry behind the registrar's seam, for tests: key names are
// case-insensitive as in Windows, and writes below chosen keys can be made to fail.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "com/registry_access.hpp"

namespace kestro::com {

class MemoryRegistry final : public RegistryAccess {
 public:
  long CreateKey(RegistryRoot root, const std::string& path) override;
  long SetString(RegistryRoot root, const std::string& path, const std::string& name,
                 const std::string& data) override;
  long DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
  long DeleteTree(RegistryRoot root, const std::string& path) override;
  long DeleteKeyIfNoSubkeys(RegistryRoot root, const std::string& path) override;
  bool KeyExists(RegistryRoot root, const std::string& path) override;

  // Every change at or below `path` fails with `error` from now on.
  void FailChangesUnder(RegistryRoot root, const std::string& path, long error);

  std::optional<std::string> GetString(RegistryRoot root, const std::string& path, const std::string& name) const;
  // Every key and value under the root, one line each, sorted: "path" for a key,
  // "path|name=data" for a value ("@" names the default value).
  std::vector<std::string> Dump(RegistryRoot root) const;

 private:
  struct Node {
    std::string name;
    std::map<std::string, Node> subkeys;                           // by lower-case name
    std::map<std::string, std::pair<std::string, std::string>> values;  // lower-case name -> (name, data)
  };
  Node* Find(RegistryRoot root, const std::string& path);
  const Node* Find(RegistryRoot root, const std::string& path) const;
  long Refusal(RegistryRoot root, const std::string& path) const;

  std::map<RegistryRoot, Node> roots_;
  std::vector<std::pair<std::pair<RegistryRoot, std::string>, long>> failures_;
};

}  // namespace kestro::com
