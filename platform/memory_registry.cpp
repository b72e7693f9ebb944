#include "platform/memory_registry.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>

namespace kestro::platform {
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

std::vector<std::string> LowerParts(const std::string& path) {
  std::vector<std::string> parts = Split(path);
  for (std::string& part : parts) part = Lower(part);
  return parts;
}

bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::string DumpData(const RegistryValue& value) {
  if (value.type == kRegSz && value.data == TextData(TextOfData(value.data))) return TextOfData(value.data);
  char head[32];
  if (value.type == kRegDword && value.data.size() == 4) {
    const unsigned number = static_cast<unsigned>(value.data[0]) | static_cast<unsigned>(value.data[1]) << 8 |
                            static_cast<unsigned>(value.data[2]) << 16 | static_cast<unsigned>(value.data[3]) << 24;
    std::snprintf(head, sizeof head, "dword:%08x", number);
    return head;
  }
  std::snprintf(head, sizeof head, "hex(%x):", static_cast<unsigned>(value.type));
  std::string text = head;
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%s%02x", i ? "," : "", static_cast<unsigned>(value.data[i]));
    text += byte;
  }
  return text;
}

}  // namespace

MemoryRegistry::Node* MemoryRegistry::Find(RegistryRoot root, const std::string& path) {
  return const_cast<Node*>(static_cast<const MemoryRegistry*>(this)->Find(root, path));
}

const MemoryRegistry::Node* MemoryRegistry::Find(RegistryRoot root, const std::string& path) const {
  const auto top = roots_.find(root);
  if (top == roots_.end()) return nullptr;
  const Node* node = &top->second;
  for (const std::string& part : LowerParts(path)) {
    const auto next = node->subkeys.find(part);
    if (next == node->subkeys.end()) return nullptr;
    node = &next->second;
  }
  return node;
}

long MemoryRegistry::Refusal(RegistryRoot root, const std::string& path, bool read) const {
  const std::vector<std::string> parts = LowerParts(path);
  for (const Failure& failure : failures_) {
    if (failure.root != root || (read && !failure.reads)) continue;
    if (failure.parts.size() <= parts.size() && std::equal(failure.parts.begin(), failure.parts.end(), parts.begin())) {
      return failure.error;
    }
  }
  return kRegOk;
}

void MemoryRegistry::FailChangesUnder(RegistryRoot root, const std::string& path, long error) {
  failures_.push_back({root, LowerParts(path), error, false});
}

void MemoryRegistry::FailReadsUnder(RegistryRoot root, const std::string& path, long error) {
  failures_.push_back({root, LowerParts(path), error, true});
}

long MemoryRegistry::CreateKey(RegistryRoot root, const std::string& path) {
  if (const long refused = Refusal(root, path, false); refused != kRegOk) return refused;
  Node* node = &roots_[root];
  for (const std::string& part : Split(path)) {
    Node& child = node->subkeys[Lower(part)];
    if (child.name.empty()) child.name = part;
    node = &child;
  }
  return kRegOk;
}

long MemoryRegistry::OpenKey(RegistryRoot root, const std::string& path) {
  if (const long refused = Refusal(root, path, true); refused != kRegOk) return refused;
  return Find(root, path) != nullptr ? kRegOk : kRegNotFound;
}

long MemoryRegistry::SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                              std::uint32_t type, std::span<const std::uint8_t> data) {
  if (const long refused = Refusal(root, path, false); refused != kRegOk) return refused;
  Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  RegistryValue written{name, type, {data.begin(), data.end()}};
  for (RegistryValue& value : node->values) {
    if (SameName(value.name, name)) {
      written.name = value.name;  // the registry keeps the name's first spelling
      value = std::move(written);
      return kRegOk;
    }
  }
  node->values.push_back(std::move(written));
  return kRegOk;
}

long MemoryRegistry::ReadValue(RegistryRoot root, const std::string& path, const std::string& name,
                               RegistryValue& value) {
  if (const long refused = Refusal(root, path, true); refused != kRegOk) return refused;
  const Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  for (const RegistryValue& stored : node->values) {
    if (SameName(stored.name, name)) {
      value = stored;
      value.name = name;
      return kRegOk;
    }
  }
  return kRegNotFound;
}

long MemoryRegistry::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) {
  if (const long refused = Refusal(root, path, false); refused != kRegOk) return refused;
  Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  const auto found = std::find_if(node->values.begin(), node->values.end(),
                                  [&](const RegistryValue& value) { return SameName(value.name, name); });
  if (found == node->values.end()) return kRegNotFound;
  node->values.erase(found);
  return kRegOk;
}

long MemoryRegistry::DeleteKey(RegistryRoot root, const std::string& path) {
  const Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  if (!node->subkeys.empty()) return kRegAccessDenied;
  return DeleteTree(root, path);
}

long MemoryRegistry::DeleteTree(RegistryRoot root, const std::string& path) {
  if (const long refused = Refusal(root, path, false); refused != kRegOk) return refused;
  const std::vector<std::string> parts = LowerParts(path);
  if (parts.empty()) return kRegAccessDenied;  // a root itself cannot go
  Node* parent = &roots_[root];
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const auto next = parent->subkeys.find(parts[i]);
    if (next == parent->subkeys.end()) return kRegNotFound;
    parent = &next->second;
  }
  return parent->subkeys.erase(parts.back()) == 1 ? kRegOk : kRegNotFound;
}

long MemoryRegistry::ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names) {
  if (const long refused = Refusal(root, path, true); refused != kRegOk) return refused;
  const Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  names.clear();
  for (const auto& [lowered, child] : node->subkeys) names.push_back(child.name);
  return kRegOk;
}

long MemoryRegistry::ListValues(RegistryRoot root, const std::string& path, std::vector<RegistryValue>& values) {
  if (const long refused = Refusal(root, path, true); refused != kRegOk) return refused;
  const Node* node = Find(root, path);
  if (node == nullptr) return kRegNotFound;
  values = node->values;
  return kRegOk;
}

std::optional<std::string> MemoryRegistry::GetString(RegistryRoot root, const std::string& path,
                                                     const std::string& name) const {
  const Node* node = Find(root, path);
  if (node == nullptr) return std::nullopt;
  for (const RegistryValue& value : node->values) {
    if (SameName(value.name, name) && value.type == kRegSz) return TextOfData(value.data);
  }
  return std::nullopt;
}

std::vector<std::string> MemoryRegistry::Dump(RegistryRoot root) const {
  std::vector<std::string> lines;
  const auto top = roots_.find(root);
  if (top == roots_.end()) return lines;
  std::function<void(const Node&, const std::string&)> walk = [&](const Node& node, const std::string& path) {
    for (const RegistryValue& value : node.values) {
      lines.push_back(path + "|" + (value.name.empty() ? "@" : value.name) + "=" + DumpData(value));
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

}  // namespace kestro::platform
