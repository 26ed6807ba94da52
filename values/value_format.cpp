#include "values/value_format.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/clock.h"
#include "values/runtime_error.h"

namespace tillora {

namespace {

// QDate's Julian day of 1899-12-30, day 0 of the Jet calendar (both count proleptic Gregorian).
constexpr qint64 kJulianDayOfJetZero = 2415019;
constexpr qint64 kSecondsPerDay = 86400;
constexpr qint64 kMsecsPerDay = 86400000;

QString generalText(double value, int precision) {
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
    return QString::fromLatin1(buf, static_cast<qsizetype>(r.ptr - buf));
}

double powerOfTen(int n) {
    // Exact up to 1e22, which covers every scale the callers use in practice.
    return std::pow(10.0, n);
}

bool isCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Passes leading blanks and a sign; the position of what follows them.
qsizetype afterBlanksAndSign(const QString& s, bool& negative) {
    qsizetype i = 0;
    while (i < s.size() && isCSpace(s[i].unicode())) {
        ++i;
    }
    negative = i < s.size() && s[i] == u'-';
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        ++i;
    }
    return i;
}

// Reads [blanks][sign]digits and returns the value saturated at `limit` (in magnitude).
qint64 readInteger(const QString& text, qint64 low, qint64 high) {
    const QString s = fullWidthToAscii(text);
    bool negative = false;
    qsizetype i = afterBlanksAndSign(s, negative);
    const qsizetype n = s.size();
    // Accumulate toward the sign's side so that the lowest value is reachable without overflow.
    qint64 v = 0;
    for (; i < n && isDigit(s[i].unicode()); ++i) {
        const int d = s[i].unicode() - u'0';
        if (negative) {
            v = (v < (low + d) / 10) ? low : v * 10 - d;
        } else {
            v = (v > (high - d) / 10) ? high : v * 10 + d;
        }
    }
    return std::clamp(v, low, high);
}

}  // namespace

QString doubleToText(double value) {
    return generalText(value, 13);
}

QString floatToText(float value) {
    double v = value;
    if (v != 0 && std::isfinite(v)) {
        // Round to 6 significant digits first so that the float's binary noise never shows.
        const double magnitude = std::fabs(v);
        int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
        auto scaled = [&](int e) {
            const int k = 5 - e;
            return k >= 0 ? magnitude * powerOfTen(k) : magnitude / powerOfTen(-k);
        };
        double m = scaled(exponent);
        if (m >= 1e6) {
            m = scaled(++exponent);
        } else if (m < 1e5) {
            m = scaled(--exponent);
        }
        double r = std::floor(m);
        if (m - r >= 0.5) {
            r += 1;
        }
        const int k = 5 - exponent;
        const double back = k >= 0 ? r / powerOfTen(k) : r * powerOfTen(-k);
        v = std::copysign(back, v);
    }
    return generalText(v, 6);
}

double jetNow() {
    return jetDayFromDateTime(Clock::now());
}

QString fullWidthToAscii(const QString& text) {
    // The GBK rows the conversion covers, by their Unicode forms: A3A1..A3FE (full-width ASCII;
    // GBK puts U+FFE5 at A3A4 and U+FFE3 at A3FE), A1A1 ideographic space, A1AB U+FF5E "~",
    // A1EE/A1EF the stars U+2606/U+2605 "*".
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E) {
            c = QChar(static_cast<char16_t>(u - 0xFF01 + 0x21));
        } else if (u == 0x3000) {
            c = QChar(u' ');
        } else if (u == 0xFFE5) {
            c = QChar(u'$');
        } else if (u == 0xFFE3) {
            c = QChar(u'~');
        } else if (u == 0x2605 || u == 0x2606) {
            c = QChar(u'*');
        }
    }
    return out;
}

double textToDouble(const QString& text) {
    const QString s = fullWidthToAscii(text);
    bool negative = false;
    qsizetype i = afterBlanksAndSign(s, negative);
    const qsizetype n = s.size();
    std::string number;
    int digits = 0;
    // Decimal position of the first significant digit, to tell overflow from underflow.
    qint64 magnitude = 0;
    bool significant = false;
    for (; i < n && isDigit(s[i].unicode()); ++i, ++digits) {
        number += static_cast<char>(s[i].unicode());
        significant = significant || s[i] != u'0';
        magnitude += significant ? 1 : 0;
    }
    if (i < n && s[i] == u'.') {
        number += '.';
        for (++i; i < n && isDigit(s[i].unicode()); ++i, ++digits) {
            number += static_cast<char>(s[i].unicode());
            if (!significant) {
                significant = s[i] != u'0';
                magnitude -= significant ? 0 : 1;
            }
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        bool expNegative = false;
        if (j < n && (s[j] == u'-' || s[j] == u'+')) {
            expNegative = s[j] == u'-';
            ++j;
        }
        if (j < n && isDigit(s[j].unicode())) {
            std::string exponent;
            qint64 e = 0;
            for (; j < n && isDigit(s[j].unicode()); ++j) {
                exponent += static_cast<char>(s[j].unicode());
                e = std::min<qint64>(e * 10 + (s[j].unicode() - u'0'), 1'000'000'000);
            }
            number += 'e';
            number += expNegative ? "-" : "";
            number += exponent;
            magnitude += expNegative ? -e : e;
        }
    }
    double v = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        v = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -v : v;
}

int textToInt(const QString& text) {
    return static_cast<int>(
        readInteger(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

qint64 textToLong(const QString& text) {
    return readInteger(text, std::numeric_limits<qint64>::min(),
                       std::numeric_limits<qint64>::max());
}

int numberToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double t = std::trunc(value);
    if (t <= static_cast<double>(std::numeric_limits<qint32>::min())) {
        return std::numeric_limits<qint32>::min();
    }
    if (t >= static_cast<double>(std::numeric_limits<qint32>::max())) {
        return std::numeric_limits<qint32>::max();
    }
    return static_cast<int>(t);
}

double valueToNumber(const Value& value) {
    double v = 0;
    if (!value.toNumber(&v)) {
        reportRuntimeError(0, notNumericText());
    }
    return v;
}

double roundTo(double value, int places) {
    if (value == 0 || !std::isfinite(value)) {
        return value;
    }
    const double scale = powerOfTen(places < 0 ? -places : places);
    if (!std::isfinite(scale)) {
        // More places than a double holds: nothing to round; fewer: nothing is left.
        return places > 0 ? value : std::copysign(0.0, value);
    }
    double m = std::fabs(value);
    m = places >= 0 ? m * scale : m / scale;
    if (!std::isfinite(m)) {
        return value;
    }
    m += 1e-12;
    double r = std::floor(m);
    if (m - r >= 0.5) {
        r += 1;
    }
    r = places >= 0 ? r / scale : r * scale;
    return std::copysign(r, value);
}

std::optional<double> textToJetDay(const QString& text) {
    static const QString separators = QStringLiteral("-/.:T年月日时分秒");
    const QString s = fullWidthToAscii(text);
    int parts[6] = {0, 0, 0, 0, 0, 0};
    int count = 0;
    for (qsizetype i = 0; i < s.size();) {
        const char16_t c = s[i].unicode();
        if (isDigit(c)) {
            if (count == 6) {
                return std::nullopt;
            }
            int v = 0;
            for (; i < s.size() && isDigit(s[i].unicode()); ++i) {
                v = std::min(v * 10 + (s[i].unicode() - u'0'), 100000);
            }
            parts[count++] = v;
        } else if (isCSpace(c) || separators.contains(QChar(c))) {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (count < 3) {
        return std::nullopt;
    }
    const QDate date(parts[0], parts[1], parts[2]);
    const QTime time(parts[3], parts[4], parts[5]);
    if (!date.isValid() || !time.isValid() || parts[0] < 100) {
        return std::nullopt;
    }
    return jetDayFromDateTime(QDateTime(date, time));
}

QString valueToText(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Empty:
            return {};
        case Value::Kind::Byte:
            return QString::number(value.byteValue());
        case Value::Kind::Short:
            return QString::number(value.shortValue());
        case Value::Kind::Int:
            return QString::number(value.intValue());
        case Value::Kind::Long:
            return QString::number(value.longValue());
        case Value::Kind::Float:
            return floatToText(value.floatValue());
        case Value::Kind::Double:
            return doubleToText(value.doubleValue());
        case Value::Kind::Bool:
            return value.boolValue() ? QStringLiteral("真") : QStringLiteral("假");
        case Value::Kind::DateTime:
            return dateTimeToText(value.dateTimeValue());
        case Value::Kind::Text:
            return value.textValue();
        case Value::Kind::Bytes: {
            const QByteArray bytes = value.bytesValue();
            const qsizetype end = bytes.indexOf('\0');
            // Text kept in byte blocks by this program is UTF-8.
            return QString::fromUtf8(end < 0 ? bytes : bytes.left(end));
        }
    }
    return {};
}

}  // namespace tillora
