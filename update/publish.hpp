#pragma once
// Writes an update server folder that any static web server can serve:
//
//   OUTDIR/files/update.txt     the index, with the SHA-256 digest lines
//   OUTDIR/files/DB_0x.avn ...  the three databases
//   OUTDIR/files/ChangeLog.txt  the change log (CR LF line ends)
//   OUTDIR/files/<program>      the program file, when one is given
//
// Databases that do not pass the updater's own verification are refused, so a
// published folder never carries a file the updater would turn away.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestro::update {

struct PublishRequest {
  std::filesystem::path outFolder;
  std::string version;                               // "4.3"
  std::string programUrl;                            // line 3; empty: the program file's name
  std::optional<std::filesystem::path> programFile;  // copied beside the index, digest in line 10
  std::string baseUrl;                               // empty: lines 4-6 hold names relative to the index
  std::optional<std::filesystem::path> changeLog;    // empty: a short text naming the versions
  std::array<std::filesystem::path, 3> databases;    // DB_0x, DB_1x, DB_2x in that order
};

struct PublishOutcome {
  std::string error;               // empty on success
  std::vector<std::string> lines;  // what was written, for the tool to print
};

PublishOutcome PublishUpdate(const PublishRequest& request);

// LF and lone CR line ends made CR LF.
std::string WithCrLf(std::string_view text);

}  // namespace kestro::update
