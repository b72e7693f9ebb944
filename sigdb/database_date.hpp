#pragma once
// The header date of DB_0x.avn: day resolution, written as dd-MMM-yy with English
// month abbreviations ("09-Dec-26"); the unambiguous forms that other tools
// write are read as well. Parsed here rather than through the system locale, so
// reading a database never changes any system setting.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::sigdb {

using Date = std::chrono::year_month_day;

// Accepts day, month, year: a one- or two-digit day, the English month
// abbreviation or full name in any letter case, a two- or four-digit year,
// separated by "-" or a single space, with blanks around the whole allowed
// ("09-Dec-26", "9 December 2026"). Two-digit years fall in 1930..2029. Answers
// nothing for any other text (numeric months such as 01/05/2013 are ambiguous
// and refused) or a day that does not exist.
std::optional<Date> ParseDatabaseDate(std::string_view text);

// dd-MMM-yy; years outside 1930..2029 are written with four digits, so the text
// always parses back to the same date.
std::string FormatDatabaseDate(Date date);

// yyyy.mm.dd, the default version text of a database built on that date.
std::string FormatVersionDate(Date date);

// Today's date on the local clock (the production clock of the age rule).
Date LocalToday();

}  // namespace kestro::sigdb
