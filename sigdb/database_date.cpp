#include "sigdb/database_date.hpp"

#include <array>
#include <cstdio>
#include <ctime>

namespace kestro::sigdb {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 12> kMonthNames = {"January", "February", "March",     "April",
                                                          "May",     "June",     "July",      "August",
                                                          "September", "October", "November", "December"};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

// The value of an all-digit text of 1..4 characters, or -1.
int Digits(std::string_view text) {
  if (text.empty() || text.size() > 4) return -1;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSeparator(char c) { return c == '-' || c == ' '; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// 1..12 for an English month abbreviation or full name in any letter case, else 0.
unsigned MonthNumber(std::string_view text) {
  for (std::size_t m = 0; m < kMonths.size(); ++m) {
    if (SameIgnoringCase(text, kMonths[m]) || SameIgnoringCase(text, kMonthNames[m])) {
      return static_cast<unsigned>(m + 1);
    }
  }
  return 0;
}

}  // namespace

std::optional<Date> ParseDatabaseDate(std::string_view text) {
  text = TrimBlanks(text);
  const std::size_t first = text.find_first_of("- ");
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find_first_of("- ", first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  if (!IsSeparator(text[first]) || !IsSeparator(text[second])) return std::nullopt;
  const std::string_view dayText = text.substr(0, first);
  const std::string_view monthText = text.substr(first + 1, second - first - 1);
  const std::string_view yearText = text.substr(second + 1);

  if (dayText.size() > 2 || (yearText.size() != 2 && yearText.size() != 4)) return std::nullopt;
  const int day = Digits(dayText);
  int year = Digits(yearText);
  if (day < 0 || year < 0) return std::nullopt;
  if (yearText.size() == 2) year += year < 30 ? 2000 : 1900;

  // The month is always a name: numeric forms such as 01/05/2013 read
  // differently in different countries and are refused.
  const unsigned month = MonthNumber(monthText);
  if (month == 0) return std::nullopt;

  const Date date{std::chrono::year{year}, std::chrono::month{month},
                  std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return std::nullopt;
  return date;
}

std::string FormatDatabaseDate(Date date) {
  const int year = static_cast<int>(date.year());
  const unsigned month = static_cast<unsigned>(date.month());
  const unsigned day = static_cast<unsigned>(date.day());
  const std::string_view monthName = (month >= 1 && month <= 12) ? kMonths[month - 1] : "???";
  char buffer[32];
  if (year >= 1930 && year <= 2029) {
    std::snprintf(buffer, sizeof buffer, "%02u-%.3s-%02d", day, monthName.data(), year % 100);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02u-%.3s-%04d", day, monthName.data(), year);
  }
  return buffer;
}

std::string FormatVersionDate(Date date) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d.%02u.%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return buffer;
}

Date LocalToday() {
  const std::time_t now = std::time(nullptr);
  // localtime's result is copied at once; this program reads the clock on one thread.
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
  return Date{std::chrono::year{local->tm_year + 1900},
              std::chrono::month{static_cast<unsigned>(local->tm_mon + 1)},
              std::chrono::day{static_cast<unsigned>(local->tm_mday)}};
}

}  // namespace kestro::sigdb
