#include "app/scan_page/hand_over.hpp"

#include <cstring>

namespace kestro::app::scan_page {

namespace {

bool IsDriveFolderText(std::u16string_view text) {
  return text.size() >= 3 && text[1] == u':' && text[2] == u'\\';
}

}  // namespace

std::u16string HandOverPayload(std::u16string_view path) {
  std::u16string payload(path.substr(0, kHandOverMaxChars));
  payload.push_back(u'\0');
  return payload;
}

std::optional<std::u16string> ReadHandOver(std::uint64_t id, const void* data, std::size_t bytes) {
  if (id != kHandOverId || data == nullptr) return std::nullopt;
  if (bytes == 0 || bytes % sizeof(char16_t) != 0) return std::nullopt;
  const std::size_t units = bytes / sizeof(char16_t);
  if (units > kHandOverMaxChars + 1) return std::nullopt;
  // Copied unit by unit: the sender's buffer need not be aligned.
  std::u16string text;
  text.reserve(units);
  const auto* raw = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < units; ++i) {
    char16_t unit = 0;
    std::memcpy(&unit, raw + i * sizeof(char16_t), sizeof unit);
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  if (!IsDriveFolderText(text)) return std::nullopt;
  return text;
}

HandOverAction DecideHandOver(bool scanRunning) {
  return scanRunning ? HandOverAction::BringScanPageForward : HandOverAction::StartScan;
}

}  // namespace kestro::app::scan_page
