#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include "engine/DateTimePattern.h"

namespace {

// Tuesday 5 March 2024, 07:08:09.045
TDateTimeParts Sample(int hour = 7, int millisecond = 45) {
  TDateTimeParts t;
  EXPECT_TRUE(TDateTimeParts::Make(2024, 3, 5, hour, 8, 9, millisecond, &t));
  return t;
}

std::string Format(std::string_view pattern, const TDateTimeParts& t = Sample()) {
  return FormatDateTime(pattern, t, TDateTimeLocale{});
}

TEST(DateTimePatternTest, NumbersWithAndWithoutLeadingZeros) {
  EXPECT_EQ(Format("dd/mm/yy hh:nn:ss"), "05/03/24 07:08:09");
  EXPECT_EQ(Format("d/m/yyyy h:n:s"), "5/3/2024 7:8:9");
  EXPECT_EQ(Format("yymmdd_hhmmss_zzz"), "240305_070809_045");
  EXPECT_EQ(Format("DD/MM/YY HH:NN:SS"), "05/03/24 07:08:09");
  EXPECT_EQ(Format("yyy"), "2024");  // more than two y's give the whole year
  TDateTimeParts early;
  ASSERT_TRUE(TDateTimeParts::Make(5, 1, 2, 0, 0, 0, 0, &early));
  EXPECT_EQ(Format("yyyy yy", early), "0005 05");
}

TEST(DateTimePatternTest, MAfterAnHourMeansMinutes) {
  EXPECT_EQ(Format("hh:mm"), "07:08");
  EXPECT_EQ(Format("hmm"), "708");
  EXPECT_EQ(Format("h 'x' mm"), "7 x 08");    // quoted letters do not count
  EXPECT_EQ(Format("mm hh"), "03 07");        // before the hour it is the month
  EXPECT_EQ(Format("hh dd mm"), "07 05 03");  // another letter in between: month
  EXPECT_EQ(Format("hh:mmm"), "07:08");       // minutes have no names
}

TEST(DateTimePatternTest, MillisecondsQuotedTextAndOtherCharacters) {
  EXPECT_EQ(Format("z|zz|zzz|zzzz"), "45|45|045|045");
  EXPECT_EQ(Format("z zzz", Sample(7, 5)), "5 005");
  EXPECT_EQ(Format("z zzz", Sample(7, 0)), "0 000");
  EXPECT_EQ(Format("'dd/mm' \"hh:nn\" dd"), "dd/mm hh:nn 05");
  EXPECT_EQ(Format("'unterminated dd"), "unterminated dd");
  EXPECT_EQ(Format("x_Q-é[]t"), "x_Q-é[]t");
  EXPECT_EQ(Format(""), "");
}

TEST(DateTimePatternTest, NamesAndTwelveHourClock) {
  EXPECT_EQ(Format("ddd dddd, mmm mmmm"), "Tue Tuesday, Mar March");
  EXPECT_EQ(Format("h:nn am/pm", Sample(13)), "1:08 pm");
  EXPECT_EQ(Format("hh AM/PM", Sample(0)), "12 AM");
  EXPECT_EQ(Format("h a/p", Sample(12)), "12 p");
  EXPECT_EQ(Format("h ampm", Sample(23)), "11 PM");
  EXPECT_EQ(Format("hh 'am/pm'", Sample(13)), "13 am/pm");  // quoted: still 24 hours
  EXPECT_EQ(Format("hh:nn", Sample(23)), "23:08");
}

TEST(DateTimePatternTest, LocaleNamesAndSeparators) {
  const TDateTimeLocale german = TDateTimeLocale::FromQLocale(QLocale("de_DE"));
  EXPECT_EQ(FormatDateTime("dddd dd/mm/yy hh:nn", Sample(), german), "Dienstag 05.03.24 07:08");
  EXPECT_EQ(FormatDateTime("mmmm", Sample(), german), "März");
  const TDateTimeLocale finnish = TDateTimeLocale::FromQLocale(QLocale("fi_FI"));
  EXPECT_EQ(FormatDateTime("hh:nn:ss", Sample(), finnish), "07.08.09");
  // The C locale names no numeric separators: the classic ones stand in.
  const TDateTimeLocale c = TDateTimeLocale::FromQLocale(QLocale::c());
  EXPECT_EQ(c.DateSeparator, "/");
  EXPECT_EQ(c.TimeSeparator, ":");
  EXPECT_EQ(c.LongDayNames[0], "Sunday");
  EXPECT_EQ(c.ShortMonthNames[11], "Dec");
}

TEST(DateTimePatternTest, MakeChecksTheCalendar) {
  TDateTimeParts t;
  EXPECT_TRUE(TDateTimeParts::Make(2024, 2, 29, 23, 59, 59, 999, &t));
  EXPECT_EQ(t.DayOfWeek, 4);  // Thursday
  EXPECT_TRUE(TDateTimeParts::Make(2000, 2, 29, 0, 0, 0, 0, &t));
  EXPECT_TRUE(TDateTimeParts::Make(1, 1, 1, 0, 0, 0, 0, &t));
  EXPECT_EQ(t.DayOfWeek, 1);  // Monday
  const TDateTimeParts before = t;
  EXPECT_FALSE(TDateTimeParts::Make(2023, 2, 29, 0, 0, 0, 0, &t));
  EXPECT_FALSE(TDateTimeParts::Make(1900, 2, 29, 0, 0, 0, 0, &t));
  EXPECT_FALSE(TDateTimeParts::Make(2024, 13, 1, 0, 0, 0, 0, &t));
  EXPECT_FALSE(TDateTimeParts::Make(2024, 4, 31, 0, 0, 0, 0, &t));
  EXPECT_FALSE(TDateTimeParts::Make(0, 1, 1, 0, 0, 0, 0, &t));
  EXPECT_FALSE(TDateTimeParts::Make(2024, 1, 1, 24, 0, 0, 0, &t));
  EXPECT_FALSE(TDateTimeParts::Make(2024, 1, 1, -1, 0, 0, 0, &t));
  EXPECT_FALSE(TDateTimeParts::Make(2024, 1, 1, 0, 60, 0, 0, &t));
  EXPECT_EQ(t, before);
}

TEST(DateTimePatternTest, NowIsTheLocalTimeToTheMillisecond) {
  const QDateTime before = QDateTime::currentDateTime();
  const TDateTimeParts now = TDateTimeParts::Now();
  const QDateTime after = QDateTime::currentDateTime();
  const QDateTime seen(QDate(now.Year, now.Month, now.Day),
                       QTime(now.Hour, now.Minute, now.Second, now.Millisecond));
  EXPECT_GE(seen, before.addMSecs(-1));
  EXPECT_LE(seen, after.addMSecs(1));
  EXPECT_EQ(now.DayOfWeek, seen.date().dayOfWeek() % 7);
}

}  // namespace
