#include "sigdb/database_values.hpp"

namespace kestro::sigdb {

bool DatabaseAgeRule(const DatabaseValues& values, Date today) {
  if (!values.DatabaseDate) return true;
  return today > *values.DatabaseDate;
}

std::string UpdateDatabaseStatus(DatabaseValues& values, Date today) {
  values.DatabaseOutOfDate = DatabaseAgeRule(values, today);
  return values.DatabaseOutOfDate ? std::string(kOutOfDateText) : values.DatabaseVersion;
}

}  // namespace kestro::sigdb
