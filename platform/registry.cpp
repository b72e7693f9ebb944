#include "platform/registry.hpp"

#include "platform/utf16_text.hpp"

namespace kestro::platform {

std::vector<std::uint8_t> TextData(const std::string& text) {
  std::vector<std::uint8_t> data = Utf8ToUtf16Le(text);
  data.push_back(0);
  data.push_back(0);
  return data;
}

std::vector<std::uint8_t> NumberData(std::uint32_t number) {
  return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
          static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
}

std::string TextOfData(std::span<const std::uint8_t> data) {
  std::size_t end = 0;
  while (end + 1 < data.size() && (data[end] != 0 || data[end + 1] != 0)) end += 2;
  return Utf16LeToUtf8(data.first(end));
}

long RegistryAccess::SetText(RegistryRoot root, const std::string& path, const std::string& name,
                             const std::string& text) {
  if (const long created = CreateKey(root, path); created != kRegOk) return created;
  return SetValue(root, path, name, kRegSz, TextData(text));
}

long RegistryAccess::SetNumber(RegistryRoot root, const std::string& path, const std::string& name,
                               std::uint32_t number) {
  if (const long created = CreateKey(root, path); created != kRegOk) return created;
  return SetValue(root, path, name, kRegDword, NumberData(number));
}

long RegistryAccess::ReadText(RegistryRoot root, const std::string& path, const std::string& name,
                              std::string& text) {
  RegistryValue value;
  if (const long status = ReadValue(root, path, name, value); status != kRegOk) return status;
  if (value.type != kRegSz && value.type != kRegExpandSz) return kRegUnsupportedType;
  text = TextOfData(value.data);
  return kRegOk;
}

long RegistryAccess::ReadNumber(RegistryRoot root, const std::string& path, const std::string& name,
                                std::uint32_t& number) {
  RegistryValue value;
  if (const long status = ReadValue(root, path, name, value); status != kRegOk) return status;
  if (value.type != kRegDword || value.data.size() != 4) return kRegUnsupportedType;
  number = static_cast<std::uint32_t>(value.data[0]) | static_cast<std::uint32_t>(value.data[1]) << 8 |
           static_cast<std::uint32_t>(value.data[2]) << 16 | static_cast<std::uint32_t>(value.data[3]) << 24;
  return kRegOk;
}

}  // namespace kestro::platform
