// The header date and the database age rule (with an injected today).
#include <gtest/gtest.h>

#include "sigdb/database_date.hpp"
#include "sigdb/database_values.hpp"

namespace kestro::sigdb {
namespace {

using namespace std::chrono;

Date D(int y, unsigned m, unsigned d) { return Date{year{y}, month{m}, day{d}}; }

TEST(DatabaseDate, ParsesTheForms) {
  const std::vector<std::pair<std::string, std::optional<Date>>> cases = {
      {"09-Dec-26", D(2026, 12, 9)},
      {"9-dec-26", D(2026, 12, 9)},
      {"09-DEC-2026", D(2026, 12, 9)},
      {"01-Jan-30", D(1930, 1, 1)},   // two-digit years fall in 1930..2029
      {"31-Dec-29", D(2029, 12, 31)},
      {"29-Feb-24", D(2024, 2, 29)},
      {"29-Feb-1900", std::nullopt},  // no such day
      {"31-Apr-26", std::nullopt},
      {"00-Jan-26", std::nullopt},
      {"09-Dez-26", std::nullopt},
      {"09-12-26", std::nullopt},
      {"09-Dec-026", std::nullopt},
      {"009-Dec-26", std::nullopt},
      {"09-December-26", D(2026, 12, 9)},  // full month names
      {"9 september 2026", D(2026, 9, 9)},  // a single space instead of "-"
      {"09 Dec-26", D(2026, 12, 9)},
      {" \t09-Dec-26 ", D(2026, 12, 9)},    // blanks around the whole
      {"09  Dec 26", std::nullopt},        // one separator only
      {"09-Decem-26", std::nullopt},       // neither abbreviation nor full name
      {"09-Sept-26", std::nullopt},
      {"09.Dec.26", std::nullopt},
      {"01/05/2013", std::nullopt},        // numeric months are ambiguous
      {"2013-05-01", std::nullopt},
      {"09-Dec-26 x", std::nullopt},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"--", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDatabaseDate(text), expected) << "'" << text << "'";
}

TEST(DatabaseDate, FormatsParseBack) {
  EXPECT_EQ(FormatDatabaseDate(D(2026, 12, 9)), "09-Dec-26");
  EXPECT_EQ(FormatDatabaseDate(D(1999, 1, 31)), "31-Jan-99");
  EXPECT_EQ(FormatDatabaseDate(D(2031, 6, 1)), "01-Jun-2031");  // outside the two-digit window
  EXPECT_EQ(FormatVersionDate(D(2026, 12, 9)), "2026.12.09");
  for (const Date d : {D(1930, 1, 1), D(2029, 12, 31), D(1929, 12, 31), D(2030, 1, 1), D(2024, 2, 29)})
    EXPECT_EQ(ParseDatabaseDate(FormatDatabaseDate(d)), d) << FormatDatabaseDate(d);
  EXPECT_TRUE(LocalToday().ok());
}

TEST(DatabaseAgeRule, YesterdayIsOutOfDateTodayIsNot) {
  const Date today = D(2026, 12, 9);
  DatabaseValues values{.DatabaseVersion = "2026.12.08", .DatabaseDate = D(2026, 12, 8)};
  EXPECT_TRUE(DatabaseAgeRule(values, today));
  EXPECT_EQ(UpdateDatabaseStatus(values, today), "Out of date !!");
  EXPECT_TRUE(values.DatabaseOutOfDate);

  values.DatabaseDate = today;
  EXPECT_FALSE(DatabaseAgeRule(values, today));
  EXPECT_EQ(UpdateDatabaseStatus(values, today), "2026.12.08");
  EXPECT_FALSE(values.DatabaseOutOfDate);

  values.DatabaseDate = D(2027, 1, 1);  // a clock set back: not out of date
  EXPECT_FALSE(DatabaseAgeRule(values, today));
  values.DatabaseDate = D(2025, 12, 31);  // across a year end
  EXPECT_TRUE(DatabaseAgeRule(values, D(2026, 1, 1)));
}

TEST(DatabaseAgeRule, UnsetDateIsOutOfDate) {
  DatabaseValues values;
  EXPECT_TRUE(DatabaseAgeRule(values, D(1930, 1, 1)));
  EXPECT_EQ(UpdateDatabaseStatus(values, D(2026, 12, 9)), kOutOfDateText);
}

}  // namespace
}  // namespace kestro::sigdb
