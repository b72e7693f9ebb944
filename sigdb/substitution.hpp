#pragma once
// The character substitution of database records.
//
// The table maps the 26 capital letters onto the capital letters in keyboard
// order:  ABCDEFGHIJKLMNOPQRSTUVWXYZ
//    ->   QWERTYUIOPASDFGHJKLZXCVBNM
// Every other character (lower-case letters, digits, ';', ...) passes unchanged.
// Being a permutation, it can be undone exactly, so every record the database
// tool writes loads back unchanged, lower-case letters included. The loader
// applies it twice; the tool applies the inverse twice before encoding.
//
// This table is data of the database format: changing it makes every existing
// database file load as different text.

#include <string>
#include <string_view>

namespace kestro::sigdb {

inline constexpr std::string_view kSubstitutionTarget = "QWERTYUIOPASDFGHJKLZXCVBNM";

// One pass of the table over the text.
std::string Substitute(std::string_view text);

// The inverse pass: Unsubstitute(Substitute(t)) == t.
std::string Unsubstitute(std::string_view text);

// What the loader does to a decoded record: two passes.
std::string SubstituteRecord(std::string_view text);
// The same two passes, in place.
void SubstituteRecordInPlace(std::string& text);
// What the tool does before encoding: two inverse passes.
std::string UnsubstituteRecord(std::string_view text);

}  // namespace kestro::sigdb
