#pragma once

#include <QDateTime>

namespace tillora {

// Jet date-times: days since 1899-12-30, the fraction is the time of day (for days before the
// epoch the fraction still counts forward from midnight, as Jet stores them).
double jetDayFromDateTime(const QDateTime& dateTime);
QDateTime dateTimeFromJetDay(double jetDay);
// The same as date and time of day, without time-zone work (for formatting).
void splitJetDay(double jetDay, QDate& date, QTime& time);
// Clamps to 100-01-01 .. 9999-12-31.
double clampJetDay(double jetDay);

// The limits a date-time is clamped to before it is split into parts or shown as text.
inline constexpr double kMinJetDay = -657434.0;  // 100-01-01
inline constexpr double kMaxJetDay = 2958465.0;  // 9999-12-31

// The parts of a date-time, after the clamp to [kMinJetDay, kMaxJetDay]. Negative day numbers
// count the way Jet does: the integer part (toward zero) is the day, the fraction's magnitude is
// the time of day, so -1.25 is 1899-12-29 06:00. The time is rounded to the nearest second.
struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
DateTimeParts splitJetDay(double jetDay);
// "2016年8月18日", with "9时", "9时5分" or "9时5分7秒" after it when the time has those parts.
// The one text of a date-time: value texts, edit boxes and database listings all use it.
QString dateTimeToText(double jetDay);

// The program's clock as a day number in whole seconds: the value of now() in statements.
double jetNowDay();

}  // namespace tillora
