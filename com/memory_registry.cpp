#include "com/memory_registry.hpp"

#include <algorithm>
#include <cctype>
#include <functional>

namespace kestro::com {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

MemoryRegistry::Node* MemoryRegistry::Find(RegistryRoot root, const std::string& path) {
  return const_cast<Node*>(static_cast<const MemoryRegistry*>(this)->Find(root, path));
}

const MemoryRegistry::Node* MemoryRegistry::Find(RegistryRoot root, const std::string& path) const {
  const auto top = roots_.find(root);
  if (top == roots_.end()) return nullptr;
  const Node* node = &top->second;
  for (const std::string& part : Split(path)) {
    const auto next = node->subkeys.find(Lower(part));
    if (next == node->subkeys.end()) return nullptr;
    node = &next->second;
  }
  return node;
}

long MemoryRegistry::Refusal(RegistryRoot root, const std::string& path) const {
  const std::string lowered = Lower(path);
  for (const auto& [where, error] : failures_) {
    if (where.first != root) continue;
    const std::string& prefix = where.second;
    if (lowered == prefix || (lowered.size() > prefix.size() && lowered.compare(0, prefix.size(), prefix) == 0 &&
                              lowered[prefix.size()] == '\\')) {
      return error;
    }
  }
  return kRegOk;
}

void MemoryRegistry::FailChangesUnder(RegistryRoot root, const std::string& path, long error) {
  failures_.push_back({{root, Lower(path)}, error});
}

long MemoryRegistry::CreateKey(RegistryRoot root, const std::string& path) {
  if (const long refused = Refusal(root, path); refused != kRegOk) return refused;
  Node* node = &roots_[root];
  for (const std::string& part : Split(path)) {
    Node& child = node->subkeys[Lower(part)];
    if (child.name.empty()) child.name = part;
    node = &child;
  }
  return kRegOk;
}

long MemoryRegistry::SetString(RegistryRoot root, const std::string& path, const std::string& name,
                               const std::string& data) {
  if (const long refused = Refusal(root, path); refused != kRegOk) return refused;
  Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  node->values[Lower(name)] = {name, data};
  return kRegOk;
}

long MemoryRegistry::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) {
  if (const long refused = Refusal(root, path); refused != kRegOk) return refused;
  Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  return node->values.erase(Lower(name)) == 1 ? kRegOk : kRegNotFound;
}

long MemoryRegistry::DeleteTree(RegistryRoot root, const std::string& path) {
  if (const long refused = Refusal(root, path); refused != kRegOk) return refused;
  const std::vector<std::string> parts = Split(path);
  if (parts.empty()) return kRegAccessDenied;  // a root itself cannot go
  std::string parentPath;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) parentPath += (i ? "\\" : "") + parts[i];
  Node* parent = Find(root, parentPath);
  if (parent == nullptr) return kRegNotFound;
  return parent->subkeys.erase(Lower(parts.back())) == 1 ? kRegOk : kRegNotFound;
}

long MemoryRegistry::DeleteKeyIfNoSubkeys(RegistryRoot root, const std::string& path) {
  const Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  if (!node->subkeys.empty()) return kRegOk;
  return DeleteTree(root, path);
}

bool MemoryRegistry::KeyExists(RegistryRoot root, const std::string& path) { return Find(root, path) != nullptr; }

std::optional<std::string> MemoryRegistry::GetString(RegistryRoot root, const std::string& path,
                                                     const std::string& name) const {
  const Node* node = Find(root, path);
  if (node == nullptr) return std::nullopt;
  const auto value = node->values.find(Lower(name));
  if (value == node->values.end()) return std::nullopt;
  return value->second.second;
}

std::vector<std::string> MemoryRegistry::Dump(RegistryRoot root) const {
  std::vector<std::string> lines;
  const auto top = roots_.find(root);
  if (top == roots_.end()) return lines;
  std::function<void(const Node&, const std::string&)> walk = [&](const Node& node, const std::string& path) {
    for (const auto& [lowered, value] : node.values) {
      lines.push_back(path + "|" + (value.first.empty() ? "@" : value.first) + "=" + value.second);
    }
    for (const auto& [lowered, child] : node.subkeys) {
      const std::string childPath = path.empty() ? child.name : path + "\\" + child.name;
      lines.push_back(childPath);
      walk(child, childPath);
    }
  };
  walk(top->second, "");
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace kestro::com
