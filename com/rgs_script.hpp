#pragma once
// The registry-script language of our COM servers: a small subset of the ATL
// ".rgs" format, enough for class, ProgID and shell-handler registration.
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove {GUID} = s 'Description'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// Tokens are separated by white space; a lone "{" or "}" opens or closes a key's
// block, anything else (such as "{GUID}") is a name. Strings are in single quotes
// with '' standing for one quote. "%NAME%" is replaced before parsing ("%%" is one
// "%"), so replacement texts that go inside quotes must have their quotes doubled.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.hpp"

namespace kestro::com {

using platform::RegistryRoot;

enum class KeyFlag { None, NoRemove, ForceRemove };

struct ScriptValue {
  std::string name;  // empty: the key's default value
  std::string data;
};

struct ScriptKey {
  std::string name;
  KeyFlag flag = KeyFlag::None;
  std::optional<std::string> defaultValue;
  std::vector<ScriptValue> values;  // named values ("val")
  std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
  RegistryRoot root = RegistryRoot::ClassesRoot;
  std::vector<ScriptKey> keys;
};

struct RegistryScript {
  std::vector<ScriptRoot> roots;
};

struct ParseResult {
  std::optional<RegistryScript> script;  // empty on error
  std::string error;                     // what went wrong and where
};

using Replacements = std::map<std::string, std::string>;

// Replaces every "%NAME%" by its text; "%%" gives "%". An unknown name or an
// unclosed "%" is an error (returns nullopt and describes it in `error`).
std::optional<std::string> ExpandReplacements(std::string_view text, const Replacements& replacements,
                                              std::string& error);

// Parses an already expanded script.
ParseResult ParseRegistryScript(std::string_view text);

// Doubles every single quote, so the text can stand inside a quoted string.
std::string DoubleQuotes(std::string_view text);

}  // namespace kestro::com
