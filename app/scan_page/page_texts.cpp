#include "app/scan_page/page_texts.hpp"

namespace kestro::app::scan_page {

std::string DriveCaption(DriveKind kind, char letter) {
  std::string name;
  switch (kind) {
    case DriveKind::Fixed: name = "Local Disk"; break;
    case DriveKind::Optical: name = "CD/DVD-Drive"; break;
    case DriveKind::Removable: name = "Removable Disk"; break;
    case DriveKind::Network: name = "Network Drive"; break;
    case DriveKind::Other: name = "Drive"; break;
  }
  return name + " (" + std::string(1, letter) + ":)";
}

std::string TargetTextForNode(std::string_view folderPath, bool isRoot) {
  if (isRoot) return std::string(kMyComputer);
  std::string text(folderPath);
  if (text.empty() || text.back() != '\\') text.push_back('\\');
  return text;
}

}  // namespace kestro::app::scan_page
