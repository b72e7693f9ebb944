#include "tests/support/json_reader.hpp"

#include <cstdint>

namespace kestro::test {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document() {
    Blanks();
    auto value = Value(0);
    if (!value) return std::nullopt;
    Blanks();
    if (at_ != text_.size()) return Fail("text after the value");
    return value;
  }
  std::string error;

 private:
  std::optional<JsonValue> Fail(const std::string& why) {
    if (error.empty()) error = why + " at byte " + std::to_string(at_);
    return std::nullopt;
  }
  void Blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }
  bool Literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  std::optional<JsonValue> Value(int depth) {
    if (depth > 64) return Fail("nested too deeply");
    if (at_ >= text_.size()) return Fail("missing value");
    JsonValue v;
    const char c = text_[at_];
    if (c == '{') return Object(depth);
    if (c == '[') return Array(depth);
    if (c == '"') {
      auto s = String();
      if (!s) return std::nullopt;
      v.kind = JsonValue::Kind::String;
      v.text = *s;
      return v;
    }
    if (Literal("null")) return v;
    if (Literal("true") || Literal("false")) {
      v.kind = JsonValue::Kind::Boolean;
      v.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
      return v;
    }
    return Number();
  }

  std::optional<JsonValue> Number() {
    const std::size_t start = at_;
    const auto digits = [&] {
      const std::size_t from = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ - from;
    };
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    if (at_ < text_.size() && text_[at_] == '0') ++at_;
    else if (digits() == 0) return Fail("not a value");
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      if (digits() == 0) return Fail("bad fraction");
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (digits() == 0) return Fail("bad exponent");
    }
    JsonValue v;
    v.kind = JsonValue::Kind::Number;
    v.text = std::string(text_.substr(start, at_ - start));
    return v;
  }

  std::optional<JsonValue> Array(int depth) {
    JsonValue v;
    v.kind = JsonValue::Kind::Array;
    ++at_;
    Blanks();
    if (at_ < text_.size() && text_[at_] == ']') return ++at_, v;
    for (;;) {
      Blanks();
      auto item = Value(depth + 1);
      if (!item) return std::nullopt;
      v.items.push_back(std::move(*item));
      Blanks();
      if (at_ < text_.size() && text_[at_] == ',') { ++at_; continue; }
      if (at_ < text_.size() && text_[at_] == ']') return ++at_, v;
      return Fail("expected , or ]");
    }
  }

  std::optional<JsonValue> Object(int depth) {
    JsonValue v;
    v.kind = JsonValue::Kind::Object;
    ++at_;
    Blanks();
    if (at_ < text_.size() && text_[at_] == '}') return ++at_, v;
    for (;;) {
      Blanks();
      if (at_ >= text_.size() || text_[at_] != '"') return Fail("expected a member name");
      auto name = String();
      if (!name) return std::nullopt;
      Blanks();
      if (at_ >= text_.size() || text_[at_] != ':') return Fail("expected :");
      ++at_;
      Blanks();
      auto value = Value(depth + 1);
      if (!value) return std::nullopt;
      v.memberNames.push_back(std::move(*name));
      v.items.push_back(std::move(*value));
      Blanks();
      if (at_ < text_.size() && text_[at_] == ',') { ++at_; continue; }
      if (at_ < text_.size() && text_[at_] == '}') return ++at_, v;
      return Fail("expected , or }");
    }
  }

  static void Append(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }

  std::optional<std::uint32_t> Hex4() {
    if (text_.size() - at_ < 4) return std::nullopt;
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[at_++];
      v <<= 4;
      if (h >= '0' && h <= '9') v |= static_cast<std::uint32_t>(h - '0');
      else if (h >= 'a' && h <= 'f') v |= static_cast<std::uint32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') v |= static_cast<std::uint32_t>(h - 'A' + 10);
      else return std::nullopt;
    }
    return v;
  }

  // One UTF-8 character of raw string text, checked strictly.
  bool RawCharacter(std::string& out) {
    const auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(text_[i]); };
    const std::uint8_t lead = b(at_);
    std::size_t n;
    std::uint32_t c, min;
    if (lead < 0x80) n = 1, c = lead, min = 0;
    else if ((lead & 0xE0) == 0xC0) n = 2, c = lead & 0x1Fu, min = 0x80;
    else if ((lead & 0xF0) == 0xE0) n = 3, c = lead & 0x0Fu, min = 0x800;
    else if ((lead & 0xF8) == 0xF0) n = 4, c = lead & 0x07u, min = 0x10000;
    else return false;
    if (text_.size() - at_ < n) return false;
    for (std::size_t i = 1; i < n; ++i) {
      if ((b(at_ + i) & 0xC0) != 0x80) return false;
      c = (c << 6) | (b(at_ + i) & 0x3Fu);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out.append(text_.substr(at_, n));
    at_ += n;
    return true;
  }

  std::optional<std::string> String() {
    ++at_;
    std::string out;
    while (at_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') {
        ++at_;
        return out;
      }
      if (c < 0x20) return Fail("raw control character in a string"), std::nullopt;
      if (c != '\\') {
        if (!RawCharacter(out)) return Fail("invalid UTF-8 in a string"), std::nullopt;
        continue;
      }
      if (++at_ >= text_.size()) break;
      const char e = text_[at_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          auto u = Hex4();
          if (!u) return Fail("bad \\u escape"), std::nullopt;
          std::uint32_t cp = *u;
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (!Literal("\\u")) return Fail("lone surrogate"), std::nullopt;
            auto low = Hex4();
            if (!low || *low < 0xDC00 || *low > 0xDFFF) return Fail("lone surrogate"), std::nullopt;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
          } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return Fail("lone surrogate"), std::nullopt;
          }
          Append(out, cp);
          break;
        }
        default:
          return Fail("bad escape"), std::nullopt;
      }
    }
    return Fail("unterminated string"), std::nullopt;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Member(std::string_view name) const {
  if (kind != Kind::Object) return nullptr;
  for (std::size_t i = 0; i < memberNames.size(); ++i) {
    if (memberNames[i] == name) return &items[i];
  }
  return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string* error) {
  Reader reader(text);
  auto value = reader.Document();
  if (!value && error != nullptr) *error = reader.error;
  return value;
}

}  // namespace kestro::test
