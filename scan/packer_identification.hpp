#pragma once
// The name of the executable packer or installer a file carries, from a fixed
// table of byte signatures searched anywhere in the file, or "Unknown".

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "io/file_view.hpp"

namespace kestro::scan {

// "hex bytes:name" entries in table order; "Selesai:Selesai" closes the table.
inline constexpr std::array<std::string_view, 10> kPackerTable = {
    "0000004d4557:MEW Zenix",
    "555058210c09:UPX",
    "c02e61737061636b00:Aspack",
    "89085045436f6d70616374:PECompact",
    "496E6E6F5365747570:Inno Setup",
    "57494E5241522E534658:Winrar SFX",
    "706574697465:Petite",
    "50455041434B:PEPack",
    "4650457863657074696F6E:ASpack",
    "Selesai:Selesai",
};
inline constexpr std::size_t kPackerTableRoom = 100;

// Entry text for index 1 to 100: the table's entry, or an empty text above 10.
// Indexes outside 1 to 100 have no entry and also give an empty text.
std::string PackerTableEntry(std::size_t index);

// The first entry whose bytes occur in the file (the whole file is read once
// for all entries), or "Unknown".
std::string IdentifyPacker(checks::FileView& file);
std::string IdentifyPacker(const std::filesystem::path& path);

// `name` when the file's bytes contain the decoded `hexText`, else an empty text.
std::string FileContains(const std::filesystem::path& path, std::string_view hexText, std::string_view name);

}  // namespace kestro::scan
