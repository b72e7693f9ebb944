#pragma once
// The Windows registry behind one narrow interface, shared by the engine (the
// registry repair), the desktop program (its settings), the process scan and
// the COM registrar. Windows has the real registry; native tests use
// `MemoryRegistry` (platform/memory_registry.hpp), which behaves the same way.
//
// Key paths, value names and texts are UTF-8 here and UTF-16 in the registry.
// An empty value name stands for the key's unnamed (default) value. Results are
// Win32 error codes: 0 is success.
//
// Method names avoid the Win32 function names, which <windows.h> defines as macros.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestro::platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

inline constexpr long kRegOk = 0;
inline constexpr long kRegNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr long kRegAccessDenied = 5;    // ERROR_ACCESS_DENIED
inline constexpr long kRegInvalidData = 13;    // ERROR_INVALID_DATA
inline constexpr long kRegUnsupportedType = 1630;  // ERROR_UNSUPPORTED_TYPE: a value of another type

// Value types as the registry numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// One value as the registry stores it: its type and its bytes (texts are
// UTF-16 LE, usually with their terminating NUL).
struct RegistryValue {
  std::string name;
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
  bool operator==(const RegistryValue&) const = default;
};

class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;

  // Creates the key and any missing parents; an existing key is opened (fine).
  virtual long CreateKey(RegistryRoot root, const std::string& path) = 0;
  // Opens an existing key for reading and closes it: kRegNotFound when missing.
  virtual long OpenKey(RegistryRoot root, const std::string& path) = 0;
  // Writes a value of any type into an existing key (kRegNotFound when missing).
  virtual long SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                          std::uint32_t type, std::span<const std::uint8_t> data) = 0;
  // Reads one value with its type; `value.name` is the name as asked.
  virtual long ReadValue(RegistryRoot root, const std::string& path, const std::string& name,
                         RegistryValue& value) = 0;
  // Removes one value; kRegNotFound when the key or value is missing.
  virtual long DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) = 0;
  // Removes one key as RegDeleteKeyW does: a key that still has subkeys stays
  // and the answer is kRegAccessDenied; values do not keep a key.
  virtual long DeleteKey(RegistryRoot root, const std::string& path) = 0;
  // Removes the key with everything below it; kRegNotFound when it is missing.
  // A whole root is never removed (kRegAccessDenied).
  virtual long DeleteTree(RegistryRoot root, const std::string& path) = 0;
  // The names of the key's direct subkeys.
  virtual long ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names) = 0;
  // Every value of the key with its type and bytes.
  virtual long ListValues(RegistryRoot root, const std::string& path, std::vector<RegistryValue>& values) = 0;

  // The common operations, composed on the ones above.
  // Create or open the key, then write the text as REG_SZ, its terminating NUL counted.
  long SetText(RegistryRoot root, const std::string& path, const std::string& name, const std::string& text);
  // Create or open the key, then write the number as REG_DWORD (4 bytes).
  long SetNumber(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t number);
  // The text of a REG_SZ or REG_EXPAND_SZ value (without its terminating NUL);
  // kRegUnsupportedType for a value of another type.
  long ReadText(RegistryRoot root, const std::string& path, const std::string& name, std::string& text);
  // The number of a REG_DWORD value; kRegUnsupportedType for a value of another type.
  long ReadNumber(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t& number);
  bool KeyExists(RegistryRoot root, const std::string& path) { return OpenKey(root, path) == kRegOk; }
};

// The registry data of a text (REG_SZ form: UTF-16 LE with its terminating NUL)
// and of a number (REG_DWORD form: 4 bytes, little-endian).
std::vector<std::uint8_t> TextData(const std::string& text);
std::vector<std::uint8_t> NumberData(std::uint32_t number);
// The text of REG_SZ-form data: UTF-16 LE up to the first NUL (or the end).
std::string TextOfData(std::span<const std::uint8_t> data);

// The machine's registry. Windows: the real one. POSIX systems have none: every
// read answers kRegNotFound and every change kRegAccessDenied.
RegistryAccess& NativeRegistry();

}  // namespace kestro::platform
