#include "tests/support/demo_tree.hpp"

#include <algorithm>

#include "tests/support/checksum_fixtures.hpp"
#include "tests/support/pe_builder.hpp"
#include "tests/support/rar_writer.hpp"
#include "tests/support/temp_dir.hpp"

namespace kestro::test {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTestFile =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

std::vector<std::uint8_t> SmallImage(std::uint8_t fill) {
  PeImage image;
  image.sections.push_back({.name = ".text", .raw = std::vector<std::uint8_t>(64, fill)});
  return image.Build();
}

}  // namespace

std::string_view AntiMalwareTestFile() { return kTestFile; }

std::vector<std::uint8_t> DatabaseSampleImage() {
  std::vector<std::uint8_t> bytes;
  for (const auto& f : ChecksumFixtures()) {
    if (f.name == "full.bin") bytes = f.bytes;
  }
  PeImage header;
  header.fileAlignment = 1;
  const std::vector<std::uint8_t> image = header.Build();  // headers only, well under 511 bytes
  std::copy(image.begin(), image.end(), bytes.begin());
  return bytes;
}

std::vector<ExpectedDetection> BuildDemoTree(const fs::path& root) {
  fs::create_directories(root / "tools");
  fs::create_directories(root / "bin");
  fs::create_directories(root / "archives");
  std::vector<ExpectedDetection> expected;

  WriteFile(root / "eicar.com", kTestFile);
  expected.push_back({"EICAR-AV-TEST", root / "eicar.com", ""});

  WriteFile(root / "tools" / "cleanup.bat", "@echo off\r\nTASKKILL /F /IM notepad.exe\r\n");
  expected.push_back({"MAL.SCRIPT.BAT", root / "tools" / "cleanup.bat", ""});

  WriteFile(root / "bin" / "sample.exe", DatabaseSampleImage());
  expected.push_back({"Test.Sample.A", root / "bin" / "sample.exe", ""});

  const std::string autorun = "[autorun]\r\nopen=setup.exe\r\nshell\\open\\command=setup.exe\r\n";
  WriteFile(root / "archives" / "usb-stick.rar",
            WriteStoredRar(RarFormat::Rar4, {TextMember("autorun.inf", autorun), TextMember("notes.txt", "hello")}));
  expected.push_back({"[ARRS] AUT", root / "archives" / "usb-stick.rar", "autorun.inf"});

  // Not detected: a numbered volume (never opened), a clean program, a text file.
  WriteFile(root / "archives" / "setup.part1.rar",
            WriteStoredRar(RarFormat::Rar4, {TextMember("autorun.inf", autorun)}));
  WriteFile(root / "bin" / "clean.exe", SmallImage(0x90));
  WriteFile(root / "readme.txt", "A demo tree of harmless files for KESTRO Antivirus.\r\n");
  return expected;
}

}  // namespace kestro::test
