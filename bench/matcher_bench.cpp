// Prints the marker search's speed (MB/s) on executable-like data with the Win32
// family table (whole images, NULs kept) and on script text with the script
// tables (NULs removed), for the reference automaton and for the fast search
// with each kernel this processor runs. Target: 3,000 MB/s or more on
// executable-like data with the best kernel.
//
// The data imitate the shared bench tree: images of code-like bytes (a skewed
// opcode mix), strings with zero padding, mostly-zero data, random resources
// and repetitive relocations; scripts of keyword lines.
//
// Usage: kestro-bench-matcher [MEGABYTES]   (default 32 of each kind)
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/best_of.hpp"
#include "checks/marker_matcher.hpp"
#include "checks/marker_matcher_reference.hpp"
#include "checks/script_checks.hpp"
#include "checks/win32_family_check.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kestro::bench::BestOf;
namespace checks = kestro::checks;

constexpr std::size_t kImageBytes = 768 * 1024;
constexpr std::size_t kScriptBytes = 96 * 1024;

const char* const kWords[] = {"dim", "set", "wscript", "createobject", "shell", "run", "echo", "if", "then",
                              "else", "end", "sub", "function", "var", "document", "write", "for", "each",
                              "next", "call", "regsvr32", "copy", "del", "attrib", "http", "www", "com",
                              "html", "body", "script", "src", "iframe", "php", "eval", "include", "return",
                              "while", "class", "string", "value", "object", "error", "resume", "exit",
                              "true", "false", "autorun", "inf", "windows", "system32", "reg", "add", "hklm"};

std::string Line(std::mt19937& random) {
  std::string line;
  const std::size_t words = 3 + random() % 12;
  for (std::size_t w = 0; w < words; ++w) {
    if (w > 0) line += ' ';
    line += kWords[random() % (sizeof(kWords) / sizeof(kWords[0]))];
  }
  if (random() % 10 < 3) line = std::string(2 * (1 + random() % 4), ' ') + line + " \"" + std::to_string(random()) + "\"";
  return line + "\r\n";
}

Bytes MakeImage(std::mt19937& random) {
  static const std::uint8_t common[32] = {0x00, 0xFF, 0x8B, 0x89, 0xE8, 0x83, 0x55, 0x8D, 0x45, 0xEC, 0x50,
                                          0x51, 0x52, 0x53, 0x56, 0x57, 0x5D, 0xC3, 0x74, 0x75, 0xEB, 0x85,
                                          0xC0, 0x33, 0x6A, 0x68, 0x01, 0x04, 0x08, 0x10, 0x24, 0x0F};
  Bytes image(0x400, 0);
  image[0] = 'M';
  image[1] = 'Z';
  const std::size_t body = kImageBytes - 0x400;
  // .text 40%, .rdata 15%, .data 10%, .rsrc 30%, .reloc 5%
  for (std::size_t i = 0; i < body * 40 / 100; ++i) {
    const auto b = static_cast<std::uint8_t>(random());
    image.push_back(b < 192 ? common[b % 32] : b);
  }
  std::string strings;
  while (strings.size() < body * 15 / 200) strings += Line(random);
  image.insert(image.end(), strings.begin(), strings.end());
  image.resize(image.size() + body * 15 / 200, 0);
  Bytes data(body * 10 / 100, 0);
  for (std::size_t i = 0; i + 8 < data.size(); i += 64) {
    for (std::size_t k = 0; k < 8; ++k) data[i + k] = static_cast<std::uint8_t>(random());
  }
  image.insert(image.end(), data.begin(), data.end());
  for (std::size_t i = 0; i < body * 30 / 100; ++i) image.push_back(static_cast<std::uint8_t>(random()));
  const std::uint8_t record[] = {0x00, 0x10, 0, 0, 0x00, 0x01, 0, 0, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30};
  while (image.size() < kImageBytes) image.push_back(record[image.size() % sizeof(record)]);
  return image;
}

Bytes MakeScript(std::mt19937& random) {
  std::string text = "' generated\r\nOption Explicit\r\n";
  while (text.size() < kScriptBytes) text += Line(random);
  text.resize(kScriptBytes);
  return Bytes(text.begin(), text.end());
}

std::vector<std::string> ScriptTable(const std::vector<checks::ScriptGroup>& groups) {
  std::vector<std::string> out;
  for (const auto& g : groups) out.insert(out.end(), g.markers.begin(), g.markers.end());
  return out;
}

std::vector<std::string> Win32Table() {
  std::vector<std::string> out;
  for (const auto& row : checks::Win32FamilyRows()) {
    if (row.length == 0) out.insert(out.end(), row.markers.begin(), row.markers.end());
  }
  return out;
}

// MB/s of one matcher over every buffer, best of several runs; `found` keeps the work observable.
template <typename Matcher>
double Speed(const Matcher& matcher, const std::vector<Bytes>& buffers, bool skipNul, std::size_t& found) {
  std::size_t bytes = 0;
  for (const auto& b : buffers) bytes += b.size();
  const double seconds = BestOf(5, [&] {
    for (const auto& b : buffers) found += matcher.Find(b, skipNul)[0] ? 1u : 0u;
  });
  return static_cast<double>(bytes) / 1e6 / seconds;
}

void Report(const char* data, const char* table, const std::vector<std::string>& markers,
            const std::vector<Bytes>& buffers, bool skipNul) {
  std::size_t found = 0;
  const double reference = Speed(checks::ReferenceMarkerMatcher(markers), buffers, skipNul, found);
  std::printf("%-22s %-16s reference   %8.0f MB/s\n", data, table, reference);
  for (const checks::SearchKernel kernel : checks::SupportedSearchKernels()) {
    const checks::MarkerMatcher matcher(markers, kernel);
    const double fast = Speed(matcher, buffers, skipNul, found);
    std::printf("%-22s %-16s %-10s  %8.0f MB/s  (%.1fx)%s\n", data, table, checks::SearchKernelName(kernel), fast,
                fast / reference, kernel == checks::BestSearchKernel() ? "  <- used" : "");
  }
  if (found == 1) std::printf(" ");  // never true; keeps the searches from being optimised away
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32;
  std::mt19937 random(20261210);
  std::vector<Bytes> images(std::max<std::size_t>(1, megabytes * 1024 * 1024 / kImageBytes));
  for (auto& image : images) image = MakeImage(random);
  std::vector<Bytes> scripts(std::max<std::size_t>(1, megabytes * 1024 * 1024 / kScriptBytes));
  for (auto& script : scripts) script = MakeScript(random);

  std::printf("marker search, %zu MB of each kind (target: >= 3000 MB/s on executable-like data)\n", megabytes);
  Report("executable-like", "Win32 families", Win32Table(), images, false);
  Report("script text", "script groups", ScriptTable(checks::GeneralScriptGroups()), scripts, true);
  Report("script text", "PHP groups", ScriptTable(checks::PhpGroups()), scripts, true);
  return 0;
}
