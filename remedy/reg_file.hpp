#pragma once
// The registry editor's export format ("Windows Registry Editor Version 5.00",
// UTF-16 LE with a byte-order mark, CR LF lines): written for undo files and
// read back to import them, so a file can be applied by this program or by
// regedit alike.
//
//   [HKEY_LOCAL_MACHINE\Key]       create the key (and its parents)
//   [-HKEY_LOCAL_MACHINE\Key]      delete the key with everything below it
//   "name"="text"                  REG_SZ ("\\" and "\"" escaped); @ is the default value
//   "name"=dword:0000002a          REG_DWORD
//   "name"=hex:01,02               REG_BINARY; hex(N): any other type, by number
//   "name"=-                       delete the value
//
// Reading never trusts the file: every line is checked, a bad line is reported
// and skipped, and the rest is still read.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.hpp"

namespace kestro::remedy {

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";

struct RegFileValue {
  std::string name;  // empty: the default value
  bool remove = false;
  std::uint32_t type = platform::kRegSz;
  std::vector<std::uint8_t> data;
};

struct RegFileKey {
  platform::RegistryRoot root = platform::RegistryRoot::LocalMachine;
  std::string path;     // without a leading or trailing backslash
  bool remove = false;  // [-KEY]: the key and its subtree go (no values follow)
  std::vector<RegFileValue> values;
};

// A key path without empty parts: no leading, trailing or doubled backslashes.
std::string NormalisedKeyPath(std::string_view path);

// "HKEY_LOCAL_MACHINE" and the others, both ways.
std::string_view RootName(platform::RegistryRoot root);
std::optional<platform::RegistryRoot> RootFromName(std::string_view name);

// The whole file: byte-order mark, header, one section per key.
std::vector<std::uint8_t> RegFileBytes(std::span<const RegFileKey> keys);

struct RegFileParse {
  bool recognised = false;            // the header line was there
  std::vector<RegFileKey> keys;       // in file order
  std::vector<std::string> problems;  // "line N: what is wrong", for lines skipped
};

// Reads UTF-16 LE (with its byte-order mark) or UTF-8 text.
RegFileParse ParseRegFile(std::span<const std::uint8_t> bytes);

struct RegImport {
  int applied = 0;                   // keys and values written or deleted
  std::vector<std::string> failures;  // what could not be done, with the reason
};

// Applies the sections in order as regedit does; a key or value that is already
// gone counts as deleted. Failures do not stop the import.
RegImport ApplyRegFile(platform::RegistryAccess& registry, std::span<const RegFileKey> keys);

// "access denied", "not found" or "error N".
std::string RegistryErrorText(long status);

}  // namespace kestro::remedy
