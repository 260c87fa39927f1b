#include "engine/DateTimePattern.h"

#include <time.h>

#include <QLocale>
#include <QString>
#include <algorithm>
#include <charconv>
#include <chrono>

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Case-free prefix test of p at i.
bool At(std::string_view p, std::size_t i, std::string_view word) {
  if (p.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (Upper(p[i + k]) != Upper(word[k])) return false;
  return true;
}

// How many times the letter at i repeats (in either case).
std::size_t RunLength(std::string_view p, std::size_t i) {
  const char letter = Upper(p[i]);
  std::size_t n = 1;
  while (i + n < p.size() && Upper(p[i + n]) == letter) ++n;
  return n;
}

void AppendNumber(std::string& out, int value, std::size_t minDigits) {
  char digits[16];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value);
  const std::size_t length = ec == std::errc() ? std::size_t(end - digits) : 0;
  if (value < 0) out += '-';
  if (length < minDigits) out.append(minDigits - length, '0');
  out.append(digits, length);
}

// Any am/pm marker outside quotes switches the hours to a 12-hour clock.
bool HasAmPm(std::string_view p) {
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '\'' || p[i] == '"') {
      const std::size_t close = p.find(p[i], i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (At(p, i, "am/pm") || At(p, i, "a/p") || At(p, i, "ampm")) {
      return true;
    }
  }
  return false;
}

// An am/pm marker at i: appends it and returns its length, 0 when none is there.
std::size_t AppendAmPm(std::string& out, std::string_view p, std::size_t i, const TDateTimeParts& t,
                       const TDateTimeLocale& locale) {
  const bool pm = t.Hour >= 12;
  if (At(p, i, "am/pm")) {
    out.append(p.substr(pm ? i + 3 : i, 2));
    return 5;
  }
  if (At(p, i, "a/p")) {
    out += p[pm ? i + 2 : i];
    return 3;
  }
  if (At(p, i, "ampm")) {
    out += pm ? locale.PmText : locale.AmText;
    return 4;
  }
  return 0;
}

// The first separator character of a Qt date or time format, outside quotes.
std::string SeparatorOf(const QString& format, const char* fallback) {
  bool quoted = false;
  for (const QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (quoted || c == u'\'' || c.isLetter() || c.isSpace()) continue;
    return QString(c).toStdString();
  }
  return fallback;
}

}  // namespace

bool TDateTimeParts::Make(int year, int month, int day, int hour, int minute, int second, int millisecond,
                          TDateTimeParts* out) {
  using namespace std::chrono;
  if (year < 1 || year > 9999 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
      second > 59 || millisecond < 0 || millisecond > 999)
    return false;
  const year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(std::max(month, 0))),
                            std::chrono::day(unsigned(std::max(day, 0)))};
  if (!date.ok()) return false;
  *out = {year, month, day, hour, minute, second, millisecond, int(weekday(sys_days(date)).c_encoding())};
  return true;
}

TDateTimeParts TDateTimeParts::Now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const time_t seconds = system_clock::to_time_t(time_point_cast<std::chrono::seconds>(now));
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  tm local{};
  localtime_r(&seconds, &local);
  TDateTimeParts t;
  t.Year = local.tm_year + 1900;
  t.Month = local.tm_mon + 1;
  t.Day = local.tm_mday;
  t.Hour = local.tm_hour;
  t.Minute = local.tm_min;
  t.Second = std::min(local.tm_sec, 59);  // a leap second shows as :59
  t.Millisecond = int(ms < 0 ? ms + 1000 : ms);
  t.DayOfWeek = local.tm_wday;
  return t;
}

TDateTimeLocale TDateTimeLocale::FromQLocale(const QLocale& locale) {
  TDateTimeLocale result;
  for (int i = 0; i < 7; ++i) {
    const int qtDay = i == 0 ? 7 : i;  // Qt counts Monday = 1 .. Sunday = 7
    // Standalone day names: "maanantai", not the "on Monday" form some languages use in dates.
    result.ShortDayNames[i] = locale.standaloneDayName(qtDay, QLocale::ShortFormat).toStdString();
    result.LongDayNames[i] = locale.standaloneDayName(qtDay, QLocale::LongFormat).toStdString();
  }
  for (int i = 0; i < 12; ++i) {
    result.ShortMonthNames[i] = locale.monthName(i + 1, QLocale::ShortFormat).toStdString();
    result.LongMonthNames[i] = locale.monthName(i + 1, QLocale::LongFormat).toStdString();
  }
  result.DateSeparator = SeparatorOf(locale.dateFormat(QLocale::ShortFormat), "/");
  result.TimeSeparator = SeparatorOf(locale.timeFormat(QLocale::ShortFormat), ":");
  if (!locale.amText().isEmpty()) result.AmText = locale.amText().toStdString();
  if (!locale.pmText().isEmpty()) result.PmText = locale.pmText().toStdString();
  return result;
}

const TDateTimeLocale& TDateTimeLocale::System() {
  static const TDateTimeLocale system = FromQLocale(QLocale::system());
  return system;
}

void FormatDateTime(std::string& out, std::string_view p, const TDateTimeParts& t,
                    const TDateTimeLocale& locale) {
  const bool twelveHour = HasAmPm(p);
  char lastLetter = 0;
  std::size_t i = 0;
  while (i < p.size()) {
    const char c = p[i];
    char token = Upper(c);
    if (IsLetter(c)) {
      if (token == 'M' && lastLetter == 'H') token = 'N';
      lastLetter = token;
    }
    const std::size_t count = IsLetter(c) ? RunLength(p, i) : 1;
    switch (token) {
      case 'Y': AppendNumber(out, count <= 2 ? t.Year % 100 : t.Year, count <= 2 ? 2 : 4); break;
      case 'M':
        if (count <= 2)
          AppendNumber(out, t.Month, count);
        else
          out += (count == 3 ? locale.ShortMonthNames : locale.LongMonthNames)[std::size_t(t.Month - 1) % 12];
        break;
      case 'D':
        if (count <= 2)
          AppendNumber(out, t.Day, count);
        else
          out += (count == 3 ? locale.ShortDayNames : locale.LongDayNames)[std::size_t(t.DayOfWeek) % 7];
        break;
      case 'H':
        AppendNumber(out, twelveHour ? (t.Hour % 12 == 0 ? 12 : t.Hour % 12) : t.Hour,
                     std::min<std::size_t>(count, 2));
        break;
      case 'N': AppendNumber(out, t.Minute, std::min<std::size_t>(count, 2)); break;
      case 'S': AppendNumber(out, t.Second, std::min<std::size_t>(count, 2)); break;
      case 'Z': AppendNumber(out, t.Millisecond, std::min<std::size_t>(count, 3)); break;
      case 'A': {
        const std::size_t length = AppendAmPm(out, p, i, t, locale);
        if (length == 0) out += c;
        i += std::max<std::size_t>(length, 1);
        continue;
      }
      case '/': out += locale.DateSeparator; break;
      case ':': out += locale.TimeSeparator; break;
      case '\'':
      case '"': {
        const std::size_t close = std::min(p.find(c, i + 1), p.size());
        out.append(p.substr(i + 1, close - i - 1));
        i = std::min(close + 1, p.size());
        continue;
      }
      default:
        // Other letters and characters stand for themselves, one at a time.
        out += c;
        i += 1;
        continue;
    }
    i += count;
  }
}

std::string FormatDateTime(std::string_view pattern, const TDateTimeParts& t, const TDateTimeLocale& locale) {
  std::string out;
  FormatDateTime(out, pattern, t, locale);
  return out;
}
