#pragma once
// The update index "update.txt": 8-bit text, lines separated by CR LF.
//
//   line 1   free text, not read
//   line 2   the latest program version from character 23 on (at most 4 characters)
//   line 3   address of the program update file
//   lines 4-6  addresses of DB_0x.avn, DB_1x.avn, DB_2x.avn
//   lines 7-10 optional "sha256 <64 hex digits>" for DB_0x.avn, DB_1x.avn,
//              DB_2x.avn and the program file (readers that stop at line 6
//              are unaffected)
//
// Addresses may also be relative (no "scheme://"); they are then resolved
// against the address the index was fetched from.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "update/sha256.hpp"

namespace kestro::update {

// 1-based character position of the version in line 2, and how many characters are taken.
inline constexpr std::size_t kVersionColumn = 23;
inline constexpr std::size_t kVersionWidth = 4;
inline constexpr std::string_view kDigestPrefix = "sha256 ";
// Index files larger than this are not read (a real one is a few hundred bytes).
inline constexpr std::size_t kMaxIndexBytes = 64 * 1024;

// What the index says about one file's digest.
struct FileDigest {
  enum class State { Absent, Given, Malformed };
  State state = State::Absent;
  Sha256Digest value{};
  bool operator==(const FileDigest&) const = default;
};

// Digest slots, in index order.
enum DigestSlot : std::size_t { kDigestDb0 = 0, kDigestDb1 = 1, kDigestDb2 = 2, kDigestProgram = 3 };

// The values the updater keeps after reading an index. They live for the whole
// run: a line the index lacks leaves its value as an earlier check set it.
struct UpdateIndex {
  std::string serverDigits;                 // line 2: version, dots removed
  std::string serverVersion;                // line 2: the same characters with their dots, for messages
  std::string programUrl;                   // line 3
  std::string programExtension;             // ".exe": "." + the text after the last "." of line 3
  std::array<std::string, 3> databaseUrls;  // lines 4-6
  std::array<FileDigest, 4> digests;        // lines 7-10, read afresh from every index
};

// Reads index text into `held`. Lines 2-6 overwrite the values they set and
// leave the others as they were; the digests always come from this text alone
// (a missing line means no digest).
void ReadUpdateIndex(std::string_view text, UpdateIndex& held);

// The version text of line 2: at most kVersionWidth characters from column
// kVersionColumn (empty when the line is shorter); the digits drop its dots.
std::string_view ServerVersionOfLine(std::string_view line);
std::string ServerDigitsOfLine(std::string_view line);

// "." + the text after the last "." of the address; with no "." at all, the
// whole address follows the ".".
std::string ExtensionOfUrl(std::string_view url);

// A digest line: "sha256 " and 64 hexadecimal digits, blanks around ignored. An
// empty or blank line is Absent; any other text is Malformed.
FileDigest ParseDigestLine(std::string_view line);

// What the publishing tool writes.
struct IndexContent {
  std::string version;  // "4.3": at most kVersionWidth characters
  std::string programUrl;
  std::array<std::string, 3> databaseUrls;
  std::array<std::optional<Sha256Digest>, 4> digests;  // none: that line is left empty
};

// Why `version` cannot stand in line 2 so that it reads back ("" when it can):
// empty, longer than kVersionWidth, or characters other than digits and dots.
std::string VersionProblem(std::string_view version);

// The index text, CR LF after every line. A slot without a digest is an empty
// line when a later slot has one (so every line keeps its place), and nothing
// at the end.
std::string WriteUpdateIndex(const IndexContent& content);

// An address from the index as a full address: kept when it names a scheme
// ("http://..."), otherwise taken relative to `base` (the index's own address
// or its folder): "/x" from the host, anything else from base's last "/".
std::string ResolveUrl(std::string_view base, std::string_view reference);

}  // namespace kestro::update
