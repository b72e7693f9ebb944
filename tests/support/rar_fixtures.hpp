#pragma once
// Small RAR archives for the archive tests, written by the stored-RAR writer, and
// libarchive's own RAR sample archives (compressed, solid, encrypted), decoded
// from the uuencoded files of Debian's libarchive source package when that has
// been fetched (scripts/build-libarchive-win64.sh --source-only).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/rar_writer.hpp"

namespace kestro::test {

// Members in folders two levels deep, with the folder members listed.
std::vector<RarMember> NestedFolderMembers();
// Names that would leave the extraction folder if joined as they stand, then a
// plain member ("kept.txt").
std::vector<RarMember> UnsafeNameMembers();
// A good member, a member whose data does not decode ("damaged.bin"), a good one.
std::vector<RarMember> DamagedMemberMembers();

// Folder of libarchive's test archives in the fetched source package, from the
// KESTRO_LIBARCHIVE_CACHE environment variable that CTest sets; empty when the
// source has not been fetched.
std::filesystem::path LibarchiveSampleFolder();

// Decodes `<folder>/<name>.uu` to `destination`; false when it is missing or
// cannot be decoded.
bool DecodeLibarchiveSample(std::string_view name, const std::filesystem::path& destination);

// The bytes of a uuencoded text ("begin ... end"); empty when malformed.
std::vector<std::uint8_t> Uudecode(std::string_view text);

}  // namespace kestro::test
