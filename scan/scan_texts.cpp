#include "scan/scan_texts.hpp"

#include "io/utf8_text.hpp"

namespace kestro::scan {

std::string BufferingStatus(std::uint32_t files, std::uint32_t folders) {
  return "STATUS : [ Buffering " + std::to_string(files) + " Files, " + std::to_string(folders) +
         " directories ]";
}

std::string FinishStatus(std::string_view message) {
  return "STATUS : [ " + std::string(message) + " ]";
}

std::string ShortenScanPath(std::string_view folder, std::string_view fileName, char separator) {
  std::string full(folder);
  full += fileName;
  if (io::Utf8Length(full) < 41) return full;
  // The first separator found from the fourth character on (1-based), inclusive.
  std::string head;
  const std::size_t fourth = io::Utf8Offset(folder, 3);
  if (fourth < folder.size()) {
    const std::size_t at = folder.find(separator, fourth);
    if (at != std::string_view::npos) head = std::string(folder.substr(0, at + 1));
  }
  std::string shown = head + "..." + separator;
  if (io::Utf8Length(fileName) <= 19) {
    shown += fileName;
  } else {
    shown += "...";
    shown += io::Utf8Tail(fileName, 15);
  }
  return shown;
}

bool IsLongMemberName(std::string_view memberName) { return io::Utf8Length(memberName) > 40; }

std::string ShortenMemberName(std::string_view memberName) {
  if (!IsLongMemberName(memberName)) return std::string(memberName);
  const std::size_t first = memberName.find_first_of("\\/");
  const std::size_t last = memberName.find_last_of("\\/");
  const std::string_view head = first == std::string_view::npos ? memberName : memberName.substr(0, first);
  const std::string_view tail = last == std::string_view::npos ? memberName : memberName.substr(last + 1);
  return std::string(head) + "\\...\\" + std::string(tail);
}

std::uint32_t VirusDetectedValue(std::uint32_t detections) {
  if (detections == 0) return 1;
  if (detections <= 5) return 2;
  return 3;
}

}  // namespace kestro::scan
