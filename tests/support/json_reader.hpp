#pragma once
// A strict JSON reader for tests: one value per text, RFC 8259 grammar, strings
// must be valid UTF-8 without raw control characters, escapes decoded (surrogate
// pairs joined). Objects keep their members in order.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::test {

struct JsonValue {
  enum class Kind { Null, Boolean, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  std::string text;  // a string's UTF-8 text, or a number's digits
  std::vector<JsonValue> items;          // an array's items, or an object's member values
  std::vector<std::string> memberNames;  // an object's member names, in order, beside `items`

  // The member of that name, or null.
  const JsonValue* Member(std::string_view name) const;
};

// The value, or nothing (with `error` set) when the text is not exactly one
// strict JSON value (blanks around it allowed).
std::optional<JsonValue> ParseJson(std::string_view text, std::string* error = nullptr);

}  // namespace kestro::test
