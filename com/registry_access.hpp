#pragma once
// The registry as the registrar needs it: one narrow seam, so that the script
// logic runs against the real registry on Windows and an in-memory one in tests,
// and so that tests can make a chosen write fail.

#include <string>

#include "com/rgs_script.hpp"

namespace kestro::com {

// Results are Win32 error codes: 0 is success.
inline constexpr long kRegOk = 0;
inline constexpr long kRegNotFound = 2;       // ERROR_FILE_NOT_FOUND
inline constexpr long kRegAccessDenied = 5;   // ERROR_ACCESS_DENIED
inline constexpr long kRegInvalidData = 13;   // ERROR_INVALID_DATA (a malformed script)

class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;
  // Creates the key and any missing parents; an existing key is fine.
  virtual long CreateKey(RegistryRoot root, const std::string& path) = 0;
  // Writes a string value into an existing key (an empty name is the default
  // value); a missing key gives kRegNotFound.
  virtual long SetString(RegistryRoot root, const std::string& path, const std::string& name,
                         const std::string& data) = 0;
  // Removes one value; kRegNotFound when the key or value is missing.
  virtual long DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) = 0;
  // Removes the key with everything below it; kRegNotFound when it is missing.
  virtual long DeleteTree(RegistryRoot root, const std::string& path) = 0;
  // Removes the key only when it has no subkeys (values do not keep it).
  virtual long DeleteKeyIfNoSubkeys(RegistryRoot root, const std::string& path) = 0;
  virtual bool KeyExists(RegistryRoot root, const std::string& path) = 0;
};

}  // namespace kestro::com
