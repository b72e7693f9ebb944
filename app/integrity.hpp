#pragma once
// The start-up integrity check of the engine, connectivity and archive libraries.
//
// Two tests, each naming the file that fails:
// - every library listed at build time must be present with the exact size and
//   CRC-32 of the copy built with this program, so a replaced, damaged or
//   mismatched library (another build or version) is caught;
// - the engine's own integrity value (KESTRO_GetCRC) must be the CRC-32 of the
//   identity texts it returned, joined with "|", as eight upper-case hexadecimal
//   digits, so an engine whose texts were altered is caught even when the
//   program was built without a table.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::app {

struct FileFingerprint {
  std::uint64_t size = 0;
  std::uint32_t crc32 = 0;
  bool operator==(const FileFingerprint&) const = default;
};

struct ExpectedLibrary {
  std::wstring fileName;
  FileFingerprint fingerprint;
};

// The table generated when the program is built (empty in trees without the
// Windows libraries).
const std::vector<ExpectedLibrary>& BuiltLibraryTable();

// The value the engine must report for these identity texts.
std::wstring EngineIntegrityValue(std::wstring_view program, std::wstring_view version, std::wstring_view build,
                                  std::wstring_view site);

// The message shown (then the program ends) when `fileName` fails the check.
std::wstring IntegrityFailureMessage(std::wstring_view fileName, std::wstring_view programTitle);

}  // namespace kestro::app
