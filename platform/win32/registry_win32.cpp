#include <windows.h>

#include <algorithm>

#include "platform/registry.hpp"
#include "platform/utf16_text.hpp"

namespace kestro::platform {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
      return HKEY_USERS;
  }
  return HKEY_CLASSES_ROOT;
}

std::wstring Wide(const std::string& text) {
  const std::u16string units = Utf8ToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(const wchar_t* text, std::size_t length) { return Utf16ToUtf8(std::u16string(text, text + length)); }

// The unnamed value is asked for with a null name.
const wchar_t* ValueName(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

// Closes the key when it leaves scope.
class OpenedKey {
 public:
  OpenedKey(RegistryRoot root, const std::string& path, REGSAM access) {
    status_ = RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, access, &key_);
    if (status_ != ERROR_SUCCESS) key_ = nullptr;
  }
  ~OpenedKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  HKEY get() const { return key_; }
  long status() const { return status_; }

 private:
  HKEY key_ = nullptr;
  long status_ = 0;
};

class Win32Registry final : public RegistryAccess {
 public:
  long CreateKey(RegistryRoot root, const std::string& path) override {
    HKEY key = nullptr;
    const long status = RegCreateKeyExW(RootKey(root), Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status;
  }

  long OpenKey(RegistryRoot root, const std::string& path) override {
    return OpenedKey(root, path, KEY_READ).status();
  }

  long SetValue(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t type,
                std::span<const std::uint8_t> data) override {
    OpenedKey key(root, path, KEY_SET_VALUE);
    if (key.get() == nullptr) return key.status();
    return RegSetValueExW(key.get(), ValueName(Wide(name)), 0, type, data.data(),
                          static_cast<DWORD>(data.size()));
  }

  long ReadValue(RegistryRoot root, const std::string& path, const std::string& name,
                 RegistryValue& value) override {
    OpenedKey key(root, path, KEY_QUERY_VALUE);
    if (key.get() == nullptr) return key.status();
    const std::wstring wideName = Wide(name);
    std::vector<std::uint8_t> data(256);
    for (;;) {  // the value may grow between the calls: ask again with its new size
      DWORD type = 0;
      auto size = static_cast<DWORD>(data.size());
      const long status = RegQueryValueExW(key.get(), ValueName(wideName), nullptr, &type, data.data(), &size);
      if (status == ERROR_MORE_DATA) {
        data.resize(size > data.size() ? size : data.size() * 2);
        continue;
      }
      if (status != ERROR_SUCCESS) return status;
      data.resize(size);
      value = RegistryValue{name, type, std::move(data)};
      return kRegOk;
    }
  }

  long DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override {
    OpenedKey key(root, path, KEY_SET_VALUE);
    if (key.get() == nullptr) return key.status();
    return RegDeleteValueW(key.get(), ValueName(Wide(name)));
  }

  long DeleteKey(RegistryRoot root, const std::string& path) override {
    return RegDeleteKeyW(RootKey(root), Wide(path).c_str());
  }

  long DeleteTree(RegistryRoot root, const std::string& path) override {
    if (path.find_first_not_of('\\') == std::string::npos) return ERROR_ACCESS_DENIED;  // never a whole root
    if (const long status = OpenKey(root, path); status != ERROR_SUCCESS) return status;
    return RegDeleteTreeW(RootKey(root), Wide(path).c_str());
  }

  long ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names) override {
    OpenedKey key(root, path, KEY_ENUMERATE_SUB_KEYS);
    if (key.get() == nullptr) return key.status();
    names.clear();
    wchar_t name[256];  // key names are at most 255 characters
    for (DWORD index = 0;; ++index) {
      DWORD length = 256;
      const long status = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) return kRegOk;
      if (status != ERROR_SUCCESS) return status;
      names.push_back(Narrow(name, length));
    }
  }

  long ListValues(RegistryRoot root, const std::string& path, std::vector<RegistryValue>& values) override {
    OpenedKey key(root, path, KEY_QUERY_VALUE);
    if (key.get() == nullptr) return key.status();
    values.clear();
    std::vector<wchar_t> name(256);
    std::vector<std::uint8_t> data(256);
    for (DWORD index = 0;;) {
      auto nameLength = static_cast<DWORD>(name.size());
      auto size = static_cast<DWORD>(data.size());
      DWORD type = 0;
      const long status = RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
      if (status == ERROR_NO_MORE_ITEMS) return kRegOk;
      if (status == ERROR_MORE_DATA) {  // grow whichever buffer was short and ask for the same value again
        DWORD longestName = 0;
        DWORD longestData = 0;
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr);
        name.resize(std::max<std::size_t>(name.size() * 2, longestName + 1));
        data.resize(std::max<std::size_t>(data.size() * 2, longestData));
        continue;
      }
      if (status != ERROR_SUCCESS) return status;
      values.push_back(RegistryValue{Narrow(name.data(), nameLength), type, {data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size)}});
      ++index;
    }
  }
};

}  // namespace

RegistryAccess& NativeRegistry() {
  static Win32Registry registry;
  return registry;
}

}  // namespace kestro::platform
