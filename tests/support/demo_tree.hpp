#pragma once
// A small tree of harmless files that the scanner detects: the anti-malware test
// file, a marker script, a program whose sampled checksum is in the default
// database, and a RAR archive holding an autorun file that starts a program.
// Also files that must not be detected (a clean program, a text file, a numbered
// archive volume). Used by the console scanner's tests and by `make scan`.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::test {

struct ExpectedDetection {
  std::string name;
  std::filesystem::path file;  // the file (or archive) on disk
  std::string member;          // the archive member, empty for plain files
};

// Writes the tree under `root` (created when missing) and answers the
// detections a scan with the default databases must report (in no particular
// order).
std::vector<ExpectedDetection> BuildDemoTree(const std::filesystem::path& root);

// The anti-malware test file's text (detected as "EICAR-AV-TEST").
std::string_view AntiMalwareTestFile();

// A 32-bit PE image whose sampled checksum is the default database's
// "Test.Sample.A" entry (the checksum fixture "full.bin" with an image header in
// its first 511 bytes, where no sample lies).
std::vector<std::uint8_t> DatabaseSampleImage();

}  // namespace kestro::test
