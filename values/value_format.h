#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

#include "platform/jet_date.h"
#include "values/value.h"

// Conversions between values and their text, shared by every window. Nothing here depends on the
// process locale: numbers are always written and read with a "." point.
namespace tillora {

// The general value-to-text rule (labels, list cells, message boxes, printing).
QString valueToText(const Value& value);
// "%.13g": at most 13 significant digits, exponent form from 1e+13 and below 1e-4.
QString doubleToText(double value);
// Rounded to 6 significant digits (halves up), then "%.6g": float 0.1 gives "0.1".
QString floatToText(float value);
// Date-time parts and texts (splitJetDay, dateTimeToText) and the conversions to QDateTime come
// from platform/jet_date.h, shared with the database.
// The local clock as a day number.
double jetNow();

// Full-width forms typed with a Chinese input method, turned into ASCII: U+FF01..U+FF5E, the
// ideographic space, and the other GBK punctuation the number reader understands (see .cpp).
QString fullWidthToAscii(const QString& text);

// Reads a leading decimal number (blanks, sign, digits, point, exponent) after the full-width
// conversion; stops at the first misfit; no number gives 0. Too large gives +-infinity.
double textToDouble(const QString& text);
// The same, stopping at the point ("12.7" gives 12); clamped to the 32-bit range.
int textToInt(const QString& text);
// As textToInt, clamped to the 64-bit range.
qint64 textToLong(const QString& text);

// Fraction cut off toward zero, clamped to the 32-bit range; NaN gives 0.
int numberToInt(double value);
// A number kind as double; any other kind is a runtime error ("欲转换数据类型不是数值").
double valueToNumber(const Value& value);

// Round half away from zero to `places` decimals (negative: tens, hundreds...). A tiny bias
// (1e-12) lets values such as 2.675, stored just below the half, round up as a person expects.
double roundTo(double value, int places = 0);

// Reads a date typed by hand: year, month, day and optionally hour, minute, second, separated by
// blanks or "-/.:T年月日时分秒" (so the date-time text itself reads back). Nothing when it is no
// valid date.
std::optional<double> textToJetDay(const QString& text);

}  // namespace tillora
