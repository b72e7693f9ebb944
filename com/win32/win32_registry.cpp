#include "com/win32/win32_registry.hpp"

#include <windows.h>

#include "com/win32/com_module.hpp"

namespace kestro::com {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
  }
  return HKEY_CLASSES_ROOT;
}

// Closes the key when it leaves scope.
class OpenKey {
 public:
  OpenKey(RegistryRoot root, const std::string& path, REGSAM access) {
    status_ = RegOpenKeyExW(RootKey(root), FromUtf8(path).c_str(), 0, access, &key_);
    if (status_ != ERROR_SUCCESS) key_ = nullptr;
  }
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }
  long status() const { return status_; }

 private:
  HKEY key_ = nullptr;
  long status_ = 0;
};

}  // namespace

long Win32Registry::CreateKey(RegistryRoot root, const std::string& path) {
  HKEY key = nullptr;
  const long status = RegCreateKeyExW(RootKey(root), FromUtf8(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_WRITE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

long Win32Registry::SetString(RegistryRoot root, const std::string& path, const std::string& name,
                              const std::string& data) {
  OpenKey key(root, path, KEY_SET_VALUE);
  if (key.get() == nullptr) return key.status();
  const std::wstring wide = FromUtf8(data);
  const std::wstring valueName = FromUtf8(name);
  return RegSetValueExW(key.get(), valueName.empty() ? nullptr : valueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wide.c_str()),
                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

long Win32Registry::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) {
  OpenKey key(root, path, KEY_SET_VALUE);
  if (key.get() == nullptr) return key.status();
  const std::wstring valueName = FromUtf8(name);
  return RegDeleteValueW(key.get(), valueName.empty() ? nullptr : valueName.c_str());
}

long Win32Registry::DeleteTree(RegistryRoot root, const std::string& path) {
  if (path.empty()) return ERROR_ACCESS_DENIED;  // never a whole root
  if (!KeyExists(root, path)) return ERROR_FILE_NOT_FOUND;
  return RegDeleteTreeW(RootKey(root), FromUtf8(path).c_str());
}

long Win32Registry::DeleteKeyIfNoSubkeys(RegistryRoot root, const std::string& path) {
  DWORD subkeys = 0;
  {
    OpenKey key(root, path, KEY_QUERY_VALUE);
    if (key.get() == nullptr) return key.status();
    const long status =
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return status;
  }
  if (subkeys != 0) return ERROR_SUCCESS;
  return RegDeleteKeyW(RootKey(root), FromUtf8(path).c_str());
}

bool Win32Registry::KeyExists(RegistryRoot root, const std::string& path) {
  OpenKey key(root, path, KEY_READ);
  return key.get() != nullptr;
}

}  // namespace kestro::com
