#pragma once
// The date and time pattern language of the text overlay (%sys_time[...]%,
// %dv_time[...]%) and of the automatic file names ("yymmdd_hhmmss_zzz").
//
//   d dd        day without/with leading zero   ddd dddd  short/long day name
//   m mm        month without/with leading zero mmm mmmm  short/long month name
//   yy yyyy     two-/four-digit year            h hh      hour
//   n nn        minute                          s ss      second
//   z zzz       millisecond without/with leading zeros
//   am/pm a/p ampm   a 12-hour clock: the marker in the pattern's own case,
//                    or the locale's texts for ampm
//   /  :        the locale's date and time separators
//   "text" 'text'    copied as is
// Letters are case-free. An m or mm whose previous letter was an h means
// minutes ("hh:mm"). Hours run 0..23 unless an am/pm marker is anywhere in the
// pattern. Every other character is copied as is.

#include <array>
#include <string>
#include <string_view>

class QLocale;

struct TDateTimeParts {
  int Year = 1;  // 1..9999
  int Month = 1;
  int Day = 1;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  int DayOfWeek = 1;  // 0 = Sunday .. 6 = Saturday; 0001-01-01 was a Monday

  // A checked calendar date (Gregorian, years 1..9999) and time of day;
  // false for anything out of range, leaving *out unchanged.
  static bool Make(int year, int month, int day, int hour, int minute, int second, int millisecond,
                   TDateTimeParts* out);
  // The local date and time, to the millisecond.
  static TDateTimeParts Now();

  bool operator==(const TDateTimeParts&) const = default;
};

struct TDateTimeLocale {
  // English until read from a locale.
  std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                             "Thursday", "Friday", "Saturday"};
  std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames = {"January",   "February", "March",    "April",
                                                "May",       "June",     "July",     "August",
                                                "September", "October",  "November", "December"};
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  std::string AmText = "AM";
  std::string PmText = "PM";

  static TDateTimeLocale FromQLocale(const QLocale& locale);
  // The machine's locale, read once on first use.
  static const TDateTimeLocale& System();
};

// Appends t formatted by pattern to out (no allocation once out has room).
void FormatDateTime(std::string& out, std::string_view pattern, const TDateTimeParts& t,
                    const TDateTimeLocale& locale = TDateTimeLocale::System());
std::string FormatDateTime(std::string_view pattern, const TDateTimeParts& t,
                           const TDateTimeLocale& locale = TDateTimeLocale::System());
