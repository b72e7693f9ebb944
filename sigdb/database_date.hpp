#pragma once
// The header date of DB_0x.avn: day resolution, written as dd-MMM-yy with English
// month abbreviations ("09-Dec-26"). Parsed here rather than through the system
// locale, so reading a database never changes any system setting.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::sigdb {

using Date = std::chrono::year_month_day;

// Accepts d-MMM-yy and d-MMM-yyyy with a one- or two-digit day and the month
// abbreviation in any letter case. Two-digit years fall in 1930..2029. Answers
// nothing for any other text or a day that does not exist.
std::optional<Date> ParseDatabaseDate(std::string_view text);

// dd-MMM-yy; years outside 1930..2029 are written with four digits, so the text
// always parses back to the same date.
std::string FormatDatabaseDate(Date date);

// yyyy.mm.dd, the default version text of a database built on that date.
std::string FormatVersionDate(Date date);

// Today's date on the local clock (the production clock of the age rule).
Date LocalToday();

}  // namespace kestro::sigdb
