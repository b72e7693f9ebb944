#pragma once
// An in-memory "Software\KESTRO" that records every write in order.

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "app/settings_key.hpp"

namespace kestro::app::test {

class FakeSettingsKey : public SettingsKey {
 public:
  using Value = std::variant<std::uint32_t, std::string>;

  std::optional<std::uint32_t> ReadNumber(const std::string& name) override {
    ++reads;
    const auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    if (const auto* number = std::get_if<std::uint32_t>(&it->second)) return *number;
    return std::nullopt;
  }
  void WriteNumber(const std::string& name, std::uint32_t value) override {
    writes.push_back(name);
    if (!readOnly) values[name] = value;
  }
  std::optional<std::string> ReadText(const std::string& name) override {
    const auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&it->second)) return *text;
    return std::nullopt;
  }
  void DeleteValue(const std::string& name) override {
    deleted.push_back(name);
    values.erase(name);
  }

  std::uint32_t Number(const std::string& name) const { return std::get<std::uint32_t>(values.at(name)); }

  std::map<std::string, Value> values;
  std::vector<std::string> writes;
  std::vector<std::string> deleted;
  int reads = 0;
  bool readOnly = false;
};

}  // namespace kestro::app::test
