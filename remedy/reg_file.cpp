#include "remedy/reg_file.hpp"

#include <array>
#include <cstdio>

#include "platform/utf16_text.hpp"

namespace kestro::remedy {
namespace {

using platform::RegistryRoot;

constexpr std::array<std::pair<RegistryRoot, std::string_view>, 4> kRootNames = {{
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER"},
    {RegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {RegistryRoot::Users, "HKEY_USERS"},
}};

constexpr std::size_t kHexLineWidth = 76;  // regedit wraps its hex lines near 80 columns

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// A REG_SZ value can be written as plain quoted text only when reading that
// text back gives exactly the same bytes and it fits on one line.
bool PlainText(const RegFileValue& value, std::string& text) {
  if (value.type != platform::kRegSz) return false;
  text = platform::TextOfData(value.data);
  if (platform::TextData(text) != value.data) return false;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

std::string ValueLine(const RegFileValue& value) {
  std::string line = value.name.empty() ? "@" : Quoted(value.name);
  line += "=";
  if (value.remove) return line + "-";
  std::string text;
  if (PlainText(value, text)) return line + Quoted(text);
  char head[32];
  if (value.type == platform::kRegDword && value.data.size() == 4) {
    const unsigned number = static_cast<unsigned>(value.data[0]) | static_cast<unsigned>(value.data[1]) << 8 |
                            static_cast<unsigned>(value.data[2]) << 16 | static_cast<unsigned>(value.data[3]) << 24;
    std::snprintf(head, sizeof head, "dword:%08x", number);
    return line + head;
  }
  if (value.type == platform::kRegBinary) {
    line += "hex:";
  } else {
    std::snprintf(head, sizeof head, "hex(%x):", static_cast<unsigned>(value.type));
    line += head;
  }
  std::size_t column = line.size();
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned>(value.data[i]));
    line += byte;
    column += 2;
    if (i + 1 < value.data.size()) {
      line += ",";
      ++column;
      if (column >= kHexLineWidth) {
        line += "\\\r\n  ";
        column = 2;
      }
    }
  }
  return line;
}

std::string KeyName(const RegFileKey& key) { return std::string(RootName(key.root)) + "\\" + key.path; }

// ---- reading ----

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::string DecodedText(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return platform::Utf16LeToUtf8(bytes.subspan(2));
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) bytes = bytes.subspan(3);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// A quoted text at the start of `text`; moves past it. Only \\ and \" are escapes.
std::optional<std::string> TakeQuoted(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) ++i;
    out.push_back(text[i]);
  }
  return std::nullopt;  // no closing quote
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `maxDigits` hexadecimal digits and nothing else.
std::optional<std::uint32_t> HexNumber(std::string_view text, std::size_t maxDigits) {
  text = Trim(text);
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint32_t number = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    number = number << 4 | static_cast<std::uint32_t>(digit);
  }
  return number;
}

std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  text = Trim(text);
  if (text.empty()) return bytes;
  while (true) {
    const std::size_t comma = text.find(',');
    const auto byte = HexNumber(text.substr(0, comma), 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(*byte));
    if (comma == std::string_view::npos) return bytes;
    text.remove_prefix(comma + 1);
  }
}

// The data after "=": what the value becomes, or a reason it cannot be read.
bool ParseData(std::string_view data, RegFileValue& value, std::string& problem) {
  data = Trim(data);
  if (data == "-") {
    value.remove = true;
    return true;
  }
  if (!data.empty() && data.front() == '"') {
    const auto text = TakeQuoted(data);
    if (!text || !Trim(data).empty()) {
      problem = "unclosed or trailing text";
      return false;
    }
    value.type = platform::kRegSz;
    value.data = platform::TextData(*text);
    return true;
  }
  if (data.starts_with("dword:")) {
    const auto number = HexNumber(data.substr(6), 8);
    if (!number) {
      problem = "bad dword";
      return false;
    }
    value.type = platform::kRegDword;
    value.data = platform::NumberData(*number);
    return true;
  }
  std::string_view bytes;
  if (data.starts_with("hex:")) {
    value.type = platform::kRegBinary;
    bytes = data.substr(4);
  } else if (data.starts_with("hex(")) {
    const std::size_t close = data.find("):");
    const auto type = close == std::string_view::npos ? std::nullopt : HexNumber(data.substr(4, close - 4), 8);
    if (!type) {
      problem = "bad hex type";
      return false;
    }
    value.type = *type;
    bytes = data.substr(close + 2);
  } else {
    problem = "unknown data form";
    return false;
  }
  auto parsed = HexBytes(bytes);
  if (!parsed) {
    problem = "bad hex bytes";
    return false;
  }
  value.data = std::move(*parsed);
  return true;
}

bool HexData(std::string_view line) {
  return !line.empty() && line.front() != '[' && line.find("=hex") != std::string_view::npos;
}

}  // namespace

std::string NormalisedKeyPath(std::string_view path) {
  std::string out;
  while (!path.empty()) {
    const std::size_t next = path.find('\\');
    const std::string_view part = path.substr(0, next);
    if (!part.empty()) {
      if (!out.empty()) out += '\\';
      out += part;
    }
    if (next == std::string_view::npos) break;
    path.remove_prefix(next + 1);
  }
  return out;
}

std::string_view RootName(RegistryRoot root) {
  for (const auto& [known, name] : kRootNames) {
    if (known == root) return name;
  }
  return "HKEY_LOCAL_MACHINE";
}

std::optional<RegistryRoot> RootFromName(std::string_view name) {
  for (const auto& [root, known] : kRootNames) {
    if (known.size() == name.size()) {
      bool same = true;
      for (std::size_t i = 0; i < name.size() && same; ++i) {
        same = (known[i] | 0x20) == (name[i] | 0x20);
      }
      if (same) return root;
    }
  }
  return std::nullopt;
}

std::vector<std::uint8_t> RegFileBytes(std::span<const RegFileKey> keys) {
  std::string text = std::string(kRegFileHeader) + "\r\n\r\n";
  for (const RegFileKey& key : keys) {
    text += key.remove ? "[-" + KeyName(key) + "]\r\n" : "[" + KeyName(key) + "]\r\n";
    if (!key.remove) {
      for (const RegFileValue& value : key.values) text += ValueLine(value) + "\r\n";
    }
    text += "\r\n";
  }
  std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
  const std::vector<std::uint8_t> body = platform::Utf8ToUtf16Le(text);
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

RegFileParse ParseRegFile(std::span<const std::uint8_t> bytes) {
  RegFileParse parse;
  const std::string text = DecodedText(bytes);
  const std::vector<std::string_view> lines = Lines(text);
  constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  std::size_t current = kNoKey;  // index of the key the value lines belong to
  bool skipping = false;  // the values of a key line that could not be read
  const auto problem = [&](std::size_t index, const std::string& what) {
    parse.problems.push_back("line " + std::to_string(index + 1) + ": " + what);
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t first = i;
    std::string line(Trim(lines[i]));
    if (!parse.recognised) {
      if (line.empty()) continue;
      if (line != kRegFileHeader) return parse;
      parse.recognised = true;
      continue;
    }
    // Hex data may go on over several lines, each but the last ending in "\".
    while (HexData(line) && !line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
      line.pop_back();
      line += Trim(lines[++i]);
    }
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      current = kNoKey;
      skipping = true;
      if (close == std::string::npos) {
        problem(first, "key line without \"]\"");
        continue;
      }
      std::string_view name = std::string_view(line).substr(1, close - 1);
      RegFileKey key;
      if (!name.empty() && name.front() == '-') {
        key.remove = true;
        name.remove_prefix(1);
      }
      const std::size_t slash = name.find('\\');
      const auto root = RootFromName(name.substr(0, slash));
      if (!root) {
        problem(first, "unknown root key");
        continue;
      }
      key.root = *root;
      if (slash != std::string_view::npos) key.path = NormalisedKeyPath(name.substr(slash + 1));
      if (key.path.empty()) {
        problem(first, "a whole root key cannot be changed");
        continue;
      }
      parse.keys.push_back(std::move(key));
      if (!parse.keys.back().remove) {
        current = parse.keys.size() - 1;
        skipping = false;
      }
      continue;
    }
    RegFileValue value;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      const auto name = TakeQuoted(rest);
      if (!name) {
        problem(first, "not a key or value line");
        continue;
      }
      value.name = *name;
    }
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') {
      problem(first, "value without \"=\"");
      continue;
    }
    std::string why;
    if (!ParseData(rest.substr(1), value, why)) {
      problem(first, why);
      continue;
    }
    if (current == kNoKey) {
      problem(first, skipping ? "value of a key line that was skipped" : "value outside a key");
      continue;
    }
    parse.keys[current].values.push_back(std::move(value));
  }
  return parse;
}

RegImport ApplyRegFile(platform::RegistryAccess& registry, std::span<const RegFileKey> keys) {
  RegImport result;
  for (const RegFileKey& key : keys) {
    const std::string where = "[" + KeyName(key) + "]";
    if (key.remove) {
      const long status = registry.DeleteTree(key.root, key.path);
      if (status == platform::kRegOk || status == platform::kRegNotFound) {
        ++result.applied;
      } else {
        result.failures.push_back("[-" + KeyName(key) + "]: " + RegistryErrorText(status));
      }
      continue;
    }
    if (const long status = registry.CreateKey(key.root, key.path); status != platform::kRegOk) {
      result.failures.push_back(where + ": " + RegistryErrorText(status));
      continue;
    }
    ++result.applied;
    for (const RegFileValue& value : key.values) {
      const long status = value.remove ? registry.DeleteValue(key.root, key.path, value.name)
                                       : registry.SetValue(key.root, key.path, value.name, value.type, value.data);
      if (status == platform::kRegOk || (value.remove && status == platform::kRegNotFound)) {
        ++result.applied;
      } else {
        result.failures.push_back(where + " " + (value.name.empty() ? "@" : Quoted(value.name)) + ": " +
                                  RegistryErrorText(status));
      }
    }
  }
  return result;
}

std::string RegistryErrorText(long status) {
  switch (status) {
    case platform::kRegAccessDenied:
      return "access denied";
    case platform::kRegNotFound:
      return "not found";
    default:
      return "error " + std::to_string(status);
  }
}

}  // namespace kestro::remedy
