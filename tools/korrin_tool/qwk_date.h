#pragma once
// Dates and times of QWK headers (MM-DD-YY and HH:MM) read as calendar
// values for mailboxes, and the two forms a mailbox writes them in (the
// "From " line and the Date header).
//
// Two-digit years: 00-69 are 2000-2069 and 70-99 are 1970-1999. BBS mail
// is older than 1970 nowhere, and packets of 2070 are far off. The pivot
// is fixed (not taken from the clock), so a packet gives the same mailbox
// in every year.

#include <optional>
#include <string>
#include <string_view>

namespace korrin::tool {

inline constexpr int kTwoDigitYearPivot = 70;

struct TQWKDateTime {
  int Year = 0, Month = 0, Day = 0;
  int Hour = 0, Minute = 0, Second = 0;
};

// A year written with one or two digits, by the pivot above.
int ExpandYear(int year, size_t digits);
// Day of the week, 0 = Sunday.
int DayOfWeek(int year, int month, int day);

// The date's separator: the last of "-", "/", "\", ",", ":", "." (tested in
// that order) that occurs in it; "-" when none does.
char DateSeparator(std::string_view date);
// Month, day and year in that order, separated as DateSeparator says, and a
// time of hours and minutes (seconds optional, an empty time is midnight).
// Nothing when either is not a real date or time.
std::optional<TQWKDateTime> ParseQWKDateTime(std::string_view date, std::string_view time);

// "Fri, 05 Dec 1997 14:30:00 -0000": the zone of a BBS is not known.
std::string Rfc5322Date(const TQWKDateTime& when);
// "Fri Dec  5 14:30:00 1997", the date of a mailbox "From " line.
std::string MboxFromDate(const TQWKDateTime& when);

}  // namespace korrin::tool
