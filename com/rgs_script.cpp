#include "com/rgs_script.hpp"

#include <cctype>
#include <cstddef>

namespace kestro::com {
namespace {

// Nesting deeper than this is not a registry layout anyone writes; refusing it
// keeps the recursive parser's stack bounded on hostile input.
constexpr int kMaxDepth = 32;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

enum class TokenKind { End, Word, String, Open, Close };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  int line = 1;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  // Reads the next token; returns false with `error` set on an unterminated string.
  bool Next(Token& token, std::string& error) {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    token = Token{};
    token.line = line_;
    if (pos_ >= text_.size()) return true;
    if (text_[pos_] == '\'') return ReadString(token, error);
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_])) ++pos_;
    token.text.assign(text_.substr(start, pos_ - start));
    if (token.text == "{") {
      token.kind = TokenKind::Open;
    } else if (token.text == "}") {
      token.kind = TokenKind::Close;
    } else {
      token.kind = TokenKind::Word;
    }
    return true;
  }

 private:
  bool ReadString(Token& token, std::string& error) {
    ++pos_;  // opening quote
    token.kind = TokenKind::String;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '\'') {
        if (pos_ < text_.size() && text_[pos_] == '\'') {
          token.text.push_back('\'');
          ++pos_;
          continue;
        }
        return true;
      }
      if (c == '\n') ++line_;
      token.text.push_back(c);
    }
    error = "line " + std::to_string(token.line) + ": unterminated string";
    return false;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : lexer_(text) {}

  ParseResult Run() {
    ParseResult result;
    RegistryScript script;
    if (!Advance()) return Fail(result);
    while (current_.kind != TokenKind::End) {
      ScriptRoot root;
      if (current_.kind != TokenKind::Word || !RootFromName(current_.text, root.root)) {
        error_ = At() + "expected a root key (HKCR, HKLM or HKCU), found '" + current_.text + "'";
        return Fail(result);
      }
      if (!Advance() || !Expect(TokenKind::Open, "'{' after the root key")) return Fail(result);
      if (!ParseBody(root.keys, nullptr, 1)) return Fail(result);
      script.roots.push_back(std::move(root));
    }
    result.script = std::move(script);
    return result;
  }

 private:
  static bool RootFromName(std::string_view name, RegistryRoot& root) {
    if (EqualsNoCase(name, "HKCR") || EqualsNoCase(name, "HKEY_CLASSES_ROOT")) {
      root = RegistryRoot::ClassesRoot;
    } else if (EqualsNoCase(name, "HKLM") || EqualsNoCase(name, "HKEY_LOCAL_MACHINE")) {
      root = RegistryRoot::LocalMachine;
    } else if (EqualsNoCase(name, "HKCU") || EqualsNoCase(name, "HKEY_CURRENT_USER")) {
      root = RegistryRoot::CurrentUser;
    } else {
      return false;
    }
    return true;
  }

  ParseResult Fail(ParseResult& result) {
    result.script.reset();
    result.error = error_;
    return result;
  }

  std::string At() const { return "line " + std::to_string(current_.line) + ": "; }

  bool Advance() { return lexer_.Next(current_, error_); }

  // Checks the current token's kind and moves past it.
  bool Expect(TokenKind kind, const char* what) {
    if (current_.kind != kind) {
      error_ = At() + "expected " + what;
      return false;
    }
    return Advance();
  }

  bool IsName() const { return current_.kind == TokenKind::Word || current_.kind == TokenKind::String; }

  // Reads "= s 'text'" (the current token is the "=").
  bool ParseStringAssignment(std::string& data) {
    if (!Advance()) return false;
    if (current_.kind != TokenKind::Word || current_.text != "s") {
      error_ = At() + "only string values (s) are supported, found '" + current_.text + "'";
      return false;
    }
    if (!Advance()) return false;
    if (current_.kind != TokenKind::String) {
      error_ = At() + "expected a quoted string";
      return false;
    }
    data = current_.text;
    return Advance();
  }

  // Parses the entries of a block up to and including its closing "}".
  // `owner` receives named values; it is null at the root, where none may stand.
  bool ParseBody(std::vector<ScriptKey>& keys, ScriptKey* owner, int depth) {
    if (depth > kMaxDepth) {
      error_ = At() + "keys nested too deeply";
      return false;
    }
    while (current_.kind != TokenKind::Close) {
      if (current_.kind == TokenKind::End) {
        error_ = At() + "missing '}'";
        return false;
      }
      if (current_.kind == TokenKind::Word && EqualsNoCase(current_.text, "val")) {
        if (owner == nullptr) {
          error_ = At() + "a named value needs a key";
          return false;
        }
        if (!Advance()) return false;
        if (!IsName()) {
          error_ = At() + "expected a value name";
          return false;
        }
        ScriptValue value{current_.text, {}};
        if (!Advance()) return false;
        if (current_.kind != TokenKind::Word || current_.text != "=") {
          error_ = At() + "expected '=' after the value name";
          return false;
        }
        if (!ParseStringAssignment(value.data)) return false;
        owner->values.push_back(std::move(value));
        continue;
      }
      ScriptKey key;
      if (!ParseKey(key, depth)) return false;
      keys.push_back(std::move(key));
    }
    return Advance();
  }

  bool ParseKey(ScriptKey& key, int depth) {
    if (current_.kind == TokenKind::Word) {
      if (EqualsNoCase(current_.text, "NoRemove")) {
        key.flag = KeyFlag::NoRemove;
        if (!Advance()) return false;
      } else if (EqualsNoCase(current_.text, "ForceRemove")) {
        key.flag = KeyFlag::ForceRemove;
        if (!Advance()) return false;
      } else if (EqualsNoCase(current_.text, "Delete")) {
        error_ = At() + "the Delete flag is not supported";
        return false;
      }
    }
    if (!IsName() || current_.text.empty() || current_.text == "=") {
      error_ = At() + "expected a key name";
      return false;
    }
    if (current_.text.find('\\') != std::string::npos) {
      error_ = At() + "a key name may not contain '\\'";
      return false;
    }
    key.name = current_.text;
    if (!Advance()) return false;
    if (current_.kind == TokenKind::Word && current_.text == "=") {
      std::string data;
      if (!ParseStringAssignment(data)) return false;
      key.defaultValue = std::move(data);
    }
    if (current_.kind == TokenKind::Open) {
      if (!Advance()) return false;
      return ParseBody(key.subkeys, &key, depth + 1);
    }
    return true;
  }

  Lexer lexer_;
  Token current_;
  std::string error_;
};

}  // namespace

std::optional<std::string> ExpandReplacements(std::string_view text, const Replacements& replacements,
                                              std::string& error) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t mark = text.find('%', pos);
    if (mark == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, mark - pos));
    const std::size_t close = text.find('%', mark + 1);
    if (close == std::string_view::npos) {
      error = "unclosed '%' at offset " + std::to_string(mark);
      return std::nullopt;
    }
    const std::string name(text.substr(mark + 1, close - mark - 1));
    if (name.empty()) {
      out.push_back('%');
    } else {
      const auto found = replacements.find(name);
      if (found == replacements.end()) {
        error = "unknown replacement %" + name + "%";
        return std::nullopt;
      }
      out.append(found->second);
    }
    pos = close + 1;
  }
  return out;
}

ParseResult ParseRegistryScript(std::string_view text) { return Parser(text).Run(); }

std::string DoubleQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out;
}

}  // namespace kestro::com
