#pragma once
// The process-wide database values, taken from the header of DB_0x.avn, and the
// age rule that decides whether the databases count as out of date.

#include <optional>
#include <string>
#include <string_view>

#include "sigdb/database_date.hpp"

namespace kestro::sigdb {

// Shown instead of the version when the databases are out of date.
inline constexpr std::string_view kOutOfDateText = "Out of date !!";

struct DatabaseValues {
  std::string DatabaseVersion;        // first header line
  std::optional<Date> DatabaseDate;   // second header line; unset counts as the earliest date
  bool DatabaseOutOfDate = false;     // set by UpdateDatabaseStatus
};

// True when `today` is later than the database date (the day after it is already
// out of date; the same day is not). An unset date is always out of date.
bool DatabaseAgeRule(const DatabaseValues& values, Date today);

// Applies the age rule, records it in DatabaseOutOfDate and answers the text the
// information panel shows: kOutOfDateText, or the database version.
std::string UpdateDatabaseStatus(DatabaseValues& values, Date today);

}  // namespace kestro::sigdb
