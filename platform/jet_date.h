#pragma once

#include <QDateTime>

#include <functional>

namespace tillora {

// Jet date-times: days since 1899-12-30, the fraction is the time of day (for days before the
// epoch the fraction still counts forward from midnight, as Jet stores them).
double jetDayFromDateTime(const QDateTime& dateTime);
QDateTime dateTimeFromJetDay(double jetDay);
// The same as date and time of day, without time-zone work (for formatting).
void splitJetDay(double jetDay, QDate& date, QTime& time);
// Clamps to 100-01-01 .. 9999-12-31.
double clampJetDay(double jetDay);

// Local time as a day number in whole seconds: the value of now() in statements.
double jetNowDay();
// Replaces the clock now() reads (tests); an empty function restores the system clock.
void setJetClock(std::function<QDateTime()> clock);

}  // namespace tillora
