#include "scan/packer_identification.hpp"

#include <vector>

#include "checks/marker_matcher.hpp"
#include "sigdb/hex_decode.hpp"

namespace kestro::scan {
namespace {

constexpr std::string_view kEndMarker = "Selesai:Selesai";
constexpr std::string_view kEndName = "Selesai";

struct PackerEntry {
  std::string bytes;  // decoded signature
  std::string name;   // text after the first ":"
  bool end = false;
};

PackerEntry Split(std::string_view entry) {
  const std::size_t colon = entry.find(':');
  PackerEntry out;
  const std::string_view hex = colon == std::string_view::npos ? entry : entry.substr(0, colon);
  out.name = colon == std::string_view::npos ? std::string() : std::string(entry.substr(colon + 1));
  out.bytes = sigdb::HexDecode(hex);
  out.end = entry == kEndMarker;
  return out;
}

// The table decoded once, and one automaton over all its signatures.
struct DecodedTable {
  std::vector<PackerEntry> entries;
  checks::MarkerMatcher matcher;
  DecodedTable() : entries(Decode()), matcher(Signatures(entries)) {}

  static std::vector<PackerEntry> Decode() {
    std::vector<PackerEntry> out;
    for (std::size_t index = 1; index <= kPackerTableRoom; ++index) {
      out.push_back(Split(PackerTableEntry(index)));
      if (out.back().end) break;
    }
    return out;
  }
  static std::vector<std::string> Signatures(const std::vector<PackerEntry>& entries) {
    std::vector<std::string> out;
    for (const PackerEntry& e : entries) out.push_back(e.bytes);
    return out;
  }
};

const DecodedTable& Table() {
  static const DecodedTable table;
  return table;
}

// Substring search as the text search does it: nothing is found in an empty text.
bool Found(const checks::MarkerHits& hits, std::size_t index, bool emptyText) {
  return !emptyText && hits[index];
}

}  // namespace

std::string PackerTableEntry(std::size_t index) {
  if (index < 1 || index > kPackerTable.size()) return {};
  return std::string(kPackerTable[index - 1]);
}

std::string IdentifyPacker(checks::FileView& file) {
  const std::span<const std::uint8_t> bytes = file.Whole();
  const DecodedTable& table = Table();
  const checks::MarkerHits hits = table.matcher.Find(bytes);
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    const PackerEntry& entry = table.entries[i];
    if (Found(hits, i, bytes.empty()) && !entry.name.empty() && entry.name != kEndName) return entry.name;
    if (entry.end) break;
  }
  return "Unknown";
}

std::string IdentifyPacker(const std::filesystem::path& path) {
  checks::FileView file = checks::FileView::Open(path);
  return IdentifyPacker(file);
}

std::string FileContains(const std::filesystem::path& path, std::string_view hexText, std::string_view name) {
  checks::FileView file = checks::FileView::Open(path);
  const std::span<const std::uint8_t> bytes = file.Whole();
  if (bytes.empty()) return {};
  return checks::ContainsBytes(bytes, sigdb::HexDecode(hexText)) ? std::string(name) : std::string();
}

}  // namespace kestro::scan
