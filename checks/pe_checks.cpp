#include "checks/pe_checks.hpp"

#include <algorithm>

#include "checks/extension_list.hpp"
#include "io/hex_text.hpp"
#include "io/le_fields.hpp"
#include "checks/marker_matcher.hpp"
#include "io/mdl_pe.hpp"

namespace kestro::checks {
namespace {

using mdlPE::SectionRecord;

const std::vector<EntryPointPattern> kEntryPointPatterns = {
    {"[INF].TENGA", 24,
     {{0, 0x52}, {1, 0x60}, {2, 0xB9}, {7, 0xE8}, {12, 0x5F}, {13, 0x4F}, {14, 0x66}, {17, 0x66}, {22, 0x75}}},
    {"[INF].RUNONCE", 22, {{0, 0x60}, {1, 0xE8}, {6, 0x8B}, {10, 0xE8}, {15, 0x61}, {16, 0x68}, {21, 0xC3}}},
    {"[INF].SALITY", 19, {{0, 0x60}, {1, 0xE8}, {6, 0x33}, {8, 0x8B}, {11, 0x90}, {12, 0x81}, {18, 0x81}}},
};

// Step C: rules on the last section's name and value texts, in order.
struct SectionTableRule {
  const char* name;
  bool (*matches)(const std::string& lastName, const std::string& cFirst, const std::string& cLast,
                  const std::string& vsLast, const std::string& vaLast);
};

bool BeginsWith(const std::string& text, std::string_view prefix) { return text.starts_with(prefix); }
bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

const std::vector<SectionTableRule> kSectionTableRules = {
    {"HEUR[PE].RAMNIT", [](const auto& n, const auto&, const auto& c, const auto&, const auto&) {
       return BeginsWith(n, "text") && c == "E0000020"; }},
    {"HEUR[PE].RAMNIT.C", [](const auto& n, const auto&, const auto& c, const auto&, const auto&) {
       return BeginsWith(n, "debug") && c == "E0000060"; }},
    {"HEUR[PE].TROXA.B", [](const auto& n, const auto&, const auto& c, const auto&, const auto&) {
       return BeginsWith(n, "idata") && c == "E00000E0"; }},
    {"HEUR[PE].KUKACCA", [](const auto& n, const auto&, const auto& c, const auto&, const auto&) {
       return BeginsWith(n, "nfoz") && c == "E0000040"; }},
    {"HEUR[PE].VITRO", [](const auto& n, const auto&, const auto& c, const auto&, const auto&) {
       return !Contains(n, "qcyrwal") && c == "C0000000"; }},
    {"HEUR[PE].GEN.RNK", [](const auto&, const auto&, const auto& c, const auto&, const auto& va) {
       return va == "3000" && c == "E0000060"; }},
    {"HEUR[PE].VIRUT.CE", [](const auto&, const auto&, const auto& c, const auto& vs, const auto&) {
       return vs == "6000" && c == "E0000000"; }},
    {"HEUR[PE].VIRUT.H", [](const auto&, const auto&, const auto& c, const auto& vs, const auto& va) {
       return (va == "4000" && c == "E0000060") || vs == "9000" || vs == "D000"; }},
    // The "HEUR[PE].PARITE" rule is not bound: its value has no defined field.
    {"HEUR[PE].MABEZAT", [](const auto&, const auto& cf, const auto& c, const auto&, const auto&) {
       return cf == "E0000040" && c == "40000040"; }},
};

// Step D patterns.
const std::string kAlmanA =
    MarkerBytes({0xB5, 0xED, 0xA7, 0xB6, 0xFD, 0x14, 0xDA, 0xFF, 0xD7, 0xD0, 0xFE, 0xFF, 0xFF, 0xB7, 0x68, 0xFE,
                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xA1, 0xF9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                 0xFF, 0xFF, 0xFF, 0xFF, 0x1E, 0x80});
const std::string kAlmanB =
    MarkerBytes({0x34, 0x78, 0xDB, 0x20, 0x33, 0x35, 0x10, 0x89, 0xFA, 0x50, 0x43, 0xA7, 0xE3, 0xE0, 0x6E, 0x86,
                 0xA1, 0xFA, 0x74, 0x01, 0x82, 0x74, 0x28, 0x5A, 0x8A, 0x10, 0xF0, 0xA0, 0xD0, 0xF8, 0x1C, 0xC8,
                 0xD4, 0xAF, 0xE9, 0xFA, 0xB2, 0x2F, 0x81});
constexpr std::int64_t kAlmanMinimumRawSize = 36000;
constexpr std::int64_t kAlmanWindowBack = 36865;
constexpr std::int32_t kAlmanWindow = 12000;
constexpr std::int64_t kMowMinimumSize = 105472;  // 0x19C00

// A 1-based position for a 0-based offset, or 0 when it has none.
std::int32_t PositionOf(std::int64_t offset) {
  if (offset < 0 || offset >= INT32_MAX) return 0;
  return static_cast<std::int32_t>(offset + 1);
}

// A window that must come back whole; empty when it is refused or cut.
std::span<const std::uint8_t> FullWindow(FileView& file, std::int64_t offset, std::int64_t length) {
  const std::int32_t position = PositionOf(offset);
  if (position == 0 || length <= 0 || length > INT32_MAX) return {};
  const auto window = file.Window(position, static_cast<std::int32_t>(length));
  if (window.size() != static_cast<std::size_t>(length)) return {};
  return window;
}

struct PeHeaders {
  std::int32_t entryPoint = 0;
  std::int16_t declaredSections = 0;
  std::vector<SectionRecord> sections;
};

// NT headers and section table at e_lfanew; nullopt when a read comes back short.
std::optional<PeHeaders> ReadHeaders(FileView& file, std::int32_t eLfanew, bool requireSignature) {
  const auto nt = FullWindow(file, eLfanew, mdlPE::kNtHeadersSize);
  if (nt.empty()) return std::nullopt;
  if (requireSignature) {
    const std::uint16_t signature = *LoadU16(nt, 0);
    if (signature != 0x4550 && signature != 0) return std::nullopt;
  }
  PeHeaders headers;
  headers.entryPoint = *LoadI32(nt, mdlPE::kNtAddressOfEntryPoint);
  headers.declaredSections = *LoadI16(nt, mdlPE::kNtNumberOfSections);
  if (headers.declaredSections <= 0) return headers;
  const auto table = FullWindow(file, std::int64_t{eLfanew} + mdlPE::kNtHeadersSize,
                                std::int64_t{headers.declaredSections} * mdlPE::kSectionRecordSize);
  if (table.empty()) return std::nullopt;
  headers.sections.resize(static_cast<std::size_t>(headers.declaredSections));
  for (std::size_t i = 0; i < headers.sections.size(); ++i) {
    mdlPE::ParseSectionRecord(table.subspan(i * mdlPE::kSectionRecordSize, mdlPE::kSectionRecordSize),
                              headers.sections[i]);
  }
  return headers;
}

// Index of the first section holding the entry point, or -1.
std::int64_t EntrySection(const PeHeaders& headers) {
  for (std::size_t i = 0; i < headers.sections.size(); ++i) {
    const SectionRecord& s = headers.sections[i];
    const std::int64_t va = s.VirtualAddress;
    if (va <= headers.entryPoint && headers.entryPoint < va + s.VirtualSize) return static_cast<std::int64_t>(i);
  }
  return -1;
}

std::string NameText(const SectionRecord& s) { return mdlPE::SectionNameText(s.Name); }

// 8A 44 05 00 followed, anywhere after it, by 30 07. If the pair follows any
// occurrence it follows the first, so one forward pass decides it.
bool TanatosCode(std::span<const std::uint8_t> raw) {
  static constexpr std::array<std::uint8_t, 4> kLoad = {0x8A, 0x44, 0x05, 0x00};
  static constexpr std::array<std::uint8_t, 2> kXor = {0x30, 0x07};
  const auto load = std::search(raw.begin(), raw.end(), kLoad.begin(), kLoad.end());
  if (load == raw.end()) return false;
  return std::search(load + 4, raw.end(), kXor.begin(), kXor.end()) != raw.end();
}

}  // namespace

const std::vector<EntryPointPattern>& EntryPointPatterns() { return kEntryPointPatterns; }

CheckResult EntryPointPatternCheck(FileView& file) {
  if (!PassesExtensionListText(file.PathText(), "EXE DLL SYS")) return CheckResult::Miss();
  const auto dos = FullWindow(file, 0, mdlPE::kDosHeaderSize);
  if (dos.empty() || *LoadU16(dos, 0) != 0x5A4D) return CheckResult::Miss();
  const auto headers = ReadHeaders(file, *LoadI32(dos, mdlPE::kLfanewOffset), true);
  if (!headers || headers->declaredSections <= 0) return CheckResult::Miss();

  std::int64_t offset = 0;
  const std::int64_t index = EntrySection(*headers);
  if (index >= 0) {
    const SectionRecord& s = headers->sections[static_cast<std::size_t>(index)];
    offset = std::int64_t{headers->entryPoint} - s.VirtualAddress + s.PointerToRawData;
  }
  for (const EntryPointPattern& pattern : kEntryPointPatterns) {
    const auto bytes = FullWindow(file, offset, pattern.length);
    if (bytes.empty()) return CheckResult::Miss();
    const bool all = std::all_of(pattern.bytes.begin(), pattern.bytes.end(),
                                 [&](const auto& p) { return bytes[p.first] == p.second; });
    if (all) return CheckResult::Hit(pattern.name);
  }
  return CheckResult::Miss();
}

CheckResult SectionHeuristics(FileView& file) {
  const auto dos = file.Window(1, mdlPE::kDosHeaderSize);
  const auto eLfanew = LoadI32(dos, mdlPE::kLfanewOffset);
  if (!eLfanew) return CheckResult::Miss();
  const auto headers = ReadHeaders(file, *eLfanew, false);
  if (!headers || headers->sections.size() < 2) return CheckResult::Miss();

  const std::size_t count = headers->sections.size();
  const SectionRecord& first = headers->sections[0];
  const SectionRecord& last = headers->sections[count - 1];
  const std::string firstName = NameText(first);
  const std::string secondName = NameText(headers->sections[1]);
  const std::string lastName = NameText(last);
  const std::uint32_t cLastBits = static_cast<std::uint32_t>(last.Characteristics);
  const std::string cFirst = HexOfNumber(first.Characteristics);
  const std::string cLast = HexOfNumber(last.Characteristics);
  const std::string vsLast = HexOfNumber(last.VirtualSize);
  const std::string vaLast = HexOfNumber(last.VirtualAddress);
  const std::int64_t rsLast = last.SizeOfRawData;
  const std::int64_t rpLast = last.PointerToRawData;
  const bool code = (cLastBits & mdlPE::kSectionCode) != 0;
  const bool executable = (cLastBits & mdlPE::kSectionExecute) != 0;

  // Step A: entry point in the last of at least three sections.
  const std::int64_t entry = EntrySection(*headers);
  if (entry == static_cast<std::int64_t>(count) - 1 && entry >= 2) {
    if (code && executable) return CheckResult::Hit("HEUR[PE].SUSP.2");
    if (code || executable) return CheckResult::Hit("HEUR[PE].SUSP.1");
    return CheckResult::Miss();
  }

  // Step B: code in the last section.
  if (executable) {
    const auto raw = FullWindow(file, rpLast, rsLast);
    if (raw.empty()) return CheckResult::Miss();
    if (TanatosCode(raw)) return CheckResult::Hit("HEUR[PE].TANATOS.M");
    if (count > 2 && code && !Contains(lastName, "idata")) {
      if (Contains(lastName.substr(0, 5), secondName.substr(0, 4))) return CheckResult::Hit("HEUR[PE].SALITY");
      if (BeginsWith(lastName, "dat")) return CheckResult::Hit("HEUR[PE].SALITY");
    }
  }

  // Step C: section-table signatures.
  for (const SectionTableRule& rule : kSectionTableRules) {
    if (rule.matches(lastName, cFirst, cLast, vsLast, vaLast)) return CheckResult::Hit(rule.name);
  }

  // Step D: Alman, in a window before the end of the last section's raw data.
  if (rsLast >= kAlmanMinimumRawSize) {
    const std::int32_t position = PositionOf(rpLast + rsLast - kAlmanWindowBack);
    const auto window = position == 0 ? std::span<const std::uint8_t>{} : file.Window(position, kAlmanWindow);
    if (ContainsBytes(window, kAlmanA)) return CheckResult::Hit("HEUR[PE].ALMAN.A");
    if (ContainsBytes(window, kAlmanB)) return CheckResult::Hit("HEUR[PE].ALMAN.B");
  }

  // Step E: last resort.
  if (Contains(lastName, "qcyrwal")) {
    return file.Size() >= kMowMinimumSize ? CheckResult::Hit("HEUR[PE].MOW") : CheckResult::Miss();
  }
  return Contains(firstName, "UPX0") ? CheckResult::Hit("HEUR[PE].UPX") : CheckResult::Miss();
}

CheckResult PeCheck(FileView& file, const SectionHeadLookup& heads) {
  if (!PassesExtensionListText(file.PathText(), "EXE DLL SYS OCX")) return CheckResult::Miss();
  const std::int32_t eLfanew = file.PeProbe();
  if (eLfanew == 0) return CheckResult::Miss();
  const std::string head = mdlPE::LastSectionHeadText(file, eLfanew);
  if (auto name = heads.NameOf(head)) return CheckResult::Hit(std::move(*name));
  if (CheckResult hit = EntryPointPatternCheck(file)) return hit;
  return SectionHeuristics(file);
}

}  // namespace kestro::checks
