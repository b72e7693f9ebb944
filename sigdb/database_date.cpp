#include "sigdb/database_date.hpp"

#include <array>
#include <cstdio>
#include <ctime>

namespace kestro::sigdb {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

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

}  // namespace

std::optional<Date> ParseDatabaseDate(std::string_view text) {
  const std::size_t dash1 = text.find('-');
  if (dash1 == std::string_view::npos) return std::nullopt;
  const std::size_t dash2 = text.find('-', dash1 + 1);
  if (dash2 == std::string_view::npos) return std::nullopt;
  const std::string_view dayText = text.substr(0, dash1);
  const std::string_view monthText = text.substr(dash1 + 1, dash2 - dash1 - 1);
  const std::string_view yearText = text.substr(dash2 + 1);

  if (dayText.size() > 2 || (yearText.size() != 2 && yearText.size() != 4)) return std::nullopt;
  const int day = Digits(dayText);
  int year = Digits(yearText);
  if (day < 0 || year < 0) return std::nullopt;
  if (yearText.size() == 2) year += year < 30 ? 2000 : 1900;

  unsigned month = 0;
  for (std::size_t m = 0; m < kMonths.size(); ++m) {
    if (SameIgnoringCase(monthText, kMonths[m])) month = static_cast<unsigned>(m + 1);
  }
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
