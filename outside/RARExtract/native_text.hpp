#pragma once
// Texts at the library's edge: the exports take and give ANSI texts (the system
// code page on Windows, UTF-8 on POSIX systems); files are reached through paths.

#include <filesystem>
#include <string>

struct archive;
struct archive_entry;

namespace kestro::rarextract {

// A path from an ANSI text.
std::filesystem::path PathFromAnsi(const std::string& text);

// Opens `path` (ANSI) on the libarchive reader; returns libarchive's result.
int OpenReaderOnFile(archive* reader, const std::string& path);

// The entry's path as an ANSI text with the platform's separator; empty when
// libarchive has no name for it.
std::string EntryNameAnsi(archive_entry* entry);

// The platform's path separator in member names.
char NameSeparator();

// Local MS-DOS date and time of a POSIX time (0 when it cannot be converted).
unsigned DosDateTime(long long posixTime);

}  // namespace kestro::rarextract
