// Prints the file check's throughput (files/s, MB/s) over a generated tree of
// about 20,000 files (PE images, scripts, shortcuts, HTML pages, other files),
// next to the floor of the same tree in the same run: a plain loop that opens
// each candidate and reads the bytes the checks need (header windows, the 24
// sampled bytes, scripts up to 512,000 bytes and PE images under 2 MiB whole)
// without doing anything with them. Target: the file check at 0.5 of the floor
// or better.
//
// Usage: kestro-bench-filecheck [FOLDER [FILES]]  (default: a temporary folder, 20000)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "io/cls_file.hpp"
#include "bench/best_of.hpp"
#include "checks/extension_list.hpp"
#include "icon/icon_check.hpp"
#include "io/mdl_pe.hpp"
#include "io/sampled_checksum.hpp"
#include "scan/file_check.hpp"

namespace {

namespace fs = std::filesystem;
using kestro::bench::BestOf;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kCandidateList = "EXE SYS OCX DLL VBS VBE PHP BAT CMD HTM HTML COM LNK EML";

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A plausible 32-bit image: three sections of random-looking code and data.
Bytes MakePe(std::mt19937& random, std::size_t size) {
  size = std::max<std::size_t>(size, 0x1000);
  Bytes b(size);
  for (auto& byte : b) byte = static_cast<std::uint8_t>(random() >> 13);
  std::fill(b.begin(), b.begin() + 0x400, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 60, 0x80);
  Put32(b, 0x80, 0x4550);
  b[0x84] = 0x4C; b[0x85] = 0x01;
  b[0x86] = 3;
  b[0x96] = 0x02; b[0x97] = 0x01;
  Put32(b, 0x80 + 40, 0x1000);
  const char* names[] = {".text", ".data", ".rsrc"};
  const std::uint32_t raw = static_cast<std::uint32_t>((size - 0x400) / 3) & ~0x1FFu;
  for (std::uint32_t s = 0; s < 3; ++s) {
    const std::size_t rec = 0x80 + 248 + s * 40;
    for (std::size_t c = 0; names[s][c] != 0; ++c) b[rec + c] = static_cast<std::uint8_t>(names[s][c]);
    Put32(b, rec + 8, raw);
    Put32(b, rec + 12, 0x1000 + s * ((raw + 0xFFF) & ~0xFFFu));
    Put32(b, rec + 16, raw);
    Put32(b, rec + 20, 0x400 + s * raw);
    Put32(b, rec + 36, s == 0 ? 0x60000020u : 0xC0000040u);
  }
  return b;
}

std::string MakeScript(std::mt19937& random, std::size_t size) {
  static const char* lines[] = {"Dim fso, shell\r\n", "Set fso = CreateObject(\"Scripting.FileSystemObject\")\r\n",
                                "For i = 1 To 10 : x = x & Chr(65 + i) : Next\r\n", "echo off\r\n",
                                "If Len(name) > 3 Then MsgBox name\r\n", "' comment text for the benchmark\r\n"};
  std::string text;
  while (text.size() < size) text += lines[random() % 6];
  text.resize(size);
  return text;
}

Bytes MakeLink(std::mt19937& random) {
  Bytes b(0x4C + 600, 0);
  Put32(b, 0, 0x4C);
  const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  std::copy(clsid, clsid + 16, b.begin() + 4);
  Put32(b, 0x14, 0x2);  // link information
  const std::string path = "C:\\Program Files\\App" + std::to_string(random() % 100) + "\\app.exe";
  const std::size_t info = 0x4C;
  Put32(b, info + 4, 0x1C);
  Put32(b, info + 8, 1);
  Put32(b, info + 16, 0x1C);
  Put32(b, info + 24, static_cast<std::uint32_t>(0x1C + path.size() + 1));
  std::copy(path.begin(), path.end(), b.begin() + static_cast<std::ptrdiff_t>(info + 0x1C));
  Put32(b, info, static_cast<std::uint32_t>(0x1C + path.size() + 2));
  return b;
}

void Write(const fs::path& p, const void* data, std::size_t size) {
  std::ofstream out(p, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::vector<fs::path> Generate(const fs::path& root, std::size_t count) {
  std::mt19937 random(20261210);
  std::vector<fs::path> files;
  for (std::size_t i = 0; i < count; ++i) {
    const fs::path folder = root / ("d" + std::to_string(i / 500));
    if (i % 500 == 0) fs::create_directories(folder);
    const std::size_t kind = i % 20;
    fs::path p;
    if (kind < 8) {  // PE images, mostly small, a few large
      static const char* ext[] = {".exe", ".dll", ".sys", ".ocx"};
      p = folder / ("f" + std::to_string(i) + ext[i % 4]);
      const std::size_t size = (i % 97 == 0) ? 2500000 + random() % 500000 : 8192 + random() % 90000;
      const Bytes b = MakePe(random, size);
      Write(p, b.data(), b.size());
    } else if (kind < 13) {  // scripts
      static const char* ext[] = {".vbs", ".bat", ".php", ".cmd", ".vbe"};
      p = folder / ("s" + std::to_string(i) + ext[i % 5]);
      const std::size_t size = (i % 131 == 0) ? 600000 : 500 + random() % 30000;
      const std::string s = MakeScript(random, size);
      Write(p, s.data(), s.size());
    } else if (kind < 15) {  // shortcuts
      p = folder / ("l" + std::to_string(i) + ".lnk");
      const Bytes b = MakeLink(random);
      Write(p, b.data(), b.size());
    } else if (kind < 17) {  // HTML pages
      p = folder / ("h" + std::to_string(i) + (i % 2 ? ".html" : ".htm"));
      const std::string s = "<html><body>" + MakeScript(random, 2000 + random() % 20000) + "</body></html>";
      Write(p, s.data(), s.size());
    } else {  // other files, not candidates
      p = folder / ("o" + std::to_string(i) + ".txt");
      const std::string s = MakeScript(random, 100 + random() % 4000);
      Write(p, s.data(), s.size());
    }
    files.push_back(p);
  }
  return files;
}

// The floor: open each candidate and read what the checks need, nothing more.
std::uint64_t Floor(const std::vector<fs::path>& files) {
  const kestro::checks::clsFile file;
  std::uint64_t sink = 0;
  kestro::checks::Bytes block;
  for (const fs::path& p : files) {
    if (!kestro::checks::PassesExtensionList(p, kCandidateList)) continue;
    const std::int32_t h = kestro::checks::mdlPE::OpenForChecking(p);
    if (h <= 0) continue;
    const std::int32_t size = file.VbFileLen(h);
    const bool pe = kestro::checks::PassesExtensionList(p, "EXE SYS OCX DLL");
    if (pe) {
      file.VbReadFileB(h, 1, 64, block);
      sink += block.size();
      file.VbReadFileB(h, 0x80 + 1, 248 + 3 * 40, block);
      sink += block.size();
      for (const std::int32_t pos : kestro::checks::kSamplePositions) {
        file.VbReadFileB(h, pos, 1, block);
        sink += block.size();
      }
      if (size < 2097152) {
        file.VbReadFileB(h, 1, size, block);
        sink += block.size();
      }
    } else {
      file.VbReadFileB(h, 1, std::min(size, 512000), block);
      sink += block.size();
    }
    file.VbCloseFile(h);
  }
  return sink;
}

class NoTargets final : public kestro::checks::TargetExistence {
 public:
  kestro::platform::PathExistence Exists(std::string_view) const override {
    return kestro::platform::PathExistence::Missing;
  }
};

std::uint64_t CheckAll(const std::vector<fs::path>& files) {
  static const kestro::sigdb::SignatureLists lists;
  static const kestro::checks::NoIconCheck icon;
  static const NoTargets targets;
  const kestro::scan::FileCheckContext context{lists, icon, targets, false};
  std::uint64_t hits = 0;
  for (const fs::path& p : files) {
    if (!kestro::checks::PassesExtensionList(p, kCandidateList)) continue;
    if (kestro::scan::FileCheck(p, context).hit) ++hits;
  }
  return hits;
}

}  // namespace

int main(int argc, char** argv) {
  const bool own = argc < 2;
  const fs::path root = own ? fs::temp_directory_path() / ("kestro-filecheck-bench-" + std::to_string(std::random_device{}()))
                            : fs::path(argv[1]);
  const std::size_t count = argc > 2 ? std::stoul(argv[2]) : 20000;
  std::printf("generating %zu files in %s ...\n", count, root.string().c_str());
  const auto files = Generate(root, count);
  std::uint64_t candidates = 0;
  std::uint64_t bytes = 0;
  for (const auto& p : files) {
    if (!kestro::checks::PassesExtensionList(p, kCandidateList)) continue;
    ++candidates;
    bytes += fs::file_size(p);
  }
  (void)Floor(files);  // warm the page cache

  std::uint64_t hits = 0;
  const double floor = BestOf(3, [&] { (void)Floor(files); });
  const double check = BestOf(3, [&] { hits = CheckAll(files); });
  const double mb = static_cast<double>(bytes) / 1e6;
  std::printf("tree: %zu files, %llu candidates, %.1f MB of candidates\n", files.size(),
              static_cast<unsigned long long>(candidates), mb);
  std::printf("floor (open + needed reads):  %8.0f files/s  %8.1f MB/s  (%.3f s)\n", static_cast<double>(candidates) / floor,
              mb / floor, floor);
  std::printf("file check (no icon step):    %8.0f files/s  %8.1f MB/s  (%.3f s, %llu hits)\n",
              static_cast<double>(candidates) / check, mb / check, check, static_cast<unsigned long long>(hits));
  std::printf("file check / floor: %.2f (target >= 0.50)\n", floor / check);
  if (own) {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  return 0;
}
