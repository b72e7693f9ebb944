#pragma once
// Where an archive member may be extracted. A member's name as stored is
// untrusted: "..\..\x", "C:\x", "\x" or "x:stream" joined to the extraction
// folder would write elsewhere. The name is therefore rewritten into a relative
// name made only of plain file names, and the result is checked once more to lie
// inside the extraction folder. The location shown to the user keeps the name as
// stored; only the file written uses the safe name.
//
// Texts are bytes (ANSI on Windows); both '\' and '/' separate components in a
// stored name, whatever the platform.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestro::scan {

inline constexpr char kPathSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// The stored name as a safe relative name, components joined by `separator`:
// - empty, "." and ".." components are dropped (leading slashes, UNC prefixes
//   and parent steps vanish);
// - ':' (drive letters, alternate data streams), the other characters Windows
//   refuses in names (< > " | ? *) and control characters become '_';
// - trailing dots and blanks are removed, since Windows drops them (".. " would
//   become "..") and a component left empty is dropped;
// - device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an
//   extension) get a leading '_';
// - a name with nothing left becomes "_".
std::string SafeMemberName(std::string_view storedName, char separator = kPathSeparator);

// The extraction path of a member: extractFolder + separator + the safe name.
// Empty when the result cannot be shown to lie inside the folder (an empty
// folder text); the caller then skips the member.
std::string MemberExtractionPath(std::string_view extractFolder, std::string_view storedName,
                                 char separator = kPathSeparator);

// True when `candidate` is `folder` followed by a separator and one or more
// components that are each a plain file name by the rules above, so that
// creating it cannot reach outside `folder`.
bool LiesInsideFolder(std::string_view folder, std::string_view candidate, char separator = kPathSeparator);

}  // namespace kestro::scan
