#include "platform/jet_date.h"

#include <algorithm>
#include <cmath>

#include "platform/clock.h"

namespace tillora {

namespace {

const QDate kEpoch(1899, 12, 30);

constexpr qint64 kJulianDayOfJetZero = 2415019;
constexpr qint64 kSecondsPerDay = 86400;

void splitDay(double jetDay, qint64 unitsPerDay, qint64* day, qint64* units) {
    if (std::isnan(jetDay)) {
        jetDay = 0;
    }
    jetDay = std::clamp(jetDay, kMinJetDay, kMaxJetDay);
    const double whole = std::trunc(jetDay);
    const double fraction = std::fabs(jetDay - whole);
    *day = static_cast<qint64>(whole);
    *units = std::llround(fraction * static_cast<double>(unitsPerDay));
    if (*units >= unitsPerDay) {
        *units -= unitsPerDay;
        *day += 1;
    }
}

}  // namespace

double clampJetDay(double jetDay) {
    if (std::isnan(jetDay)) {
        return 0.0;
    }
    return std::clamp(jetDay, kMinJetDay, kMaxJetDay + 86399.0 / 86400.0);
}

double jetDayFromDateTime(const QDateTime& dateTime) {
    const double day = static_cast<double>(kEpoch.daysTo(dateTime.date()));
    const double time = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return day < 0 ? day - time : day + time;
}

QDateTime dateTimeFromJetDay(double jetDay) {
    QDate date;
    QTime time;
    splitJetDay(jetDay, date, time);
    return QDateTime(date, time);
}

void splitJetDay(double jetDay, QDate& date, QTime& time) {
    jetDay = clampJetDay(jetDay);
    double whole = std::trunc(jetDay);
    qint64 msecs = std::llround(std::fabs(jetDay - whole) * 86400000.0);
    if (msecs >= 86400000) {
        msecs -= 86400000;
        whole += jetDay < 0 ? -1 : 1;
    }
    date = kEpoch.addDays(static_cast<qint64>(whole));
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs));
}

double jetNowDay() {
    QDateTime now = Clock::now();
    // Whole seconds, as the Jet clock stores them.
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return jetDayFromDateTime(now);
}

DateTimeParts splitJetDay(double jetDay) {
    qint64 day = 0;
    qint64 seconds = 0;
    splitDay(jetDay, kSecondsPerDay, &day, &seconds);
    const QDate date = QDate::fromJulianDay(kJulianDayOfJetZero + day);
    DateTimeParts p;
    date.getDate(&p.year, &p.month, &p.day);  // one calendar conversion instead of three
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    return p;
}

QString dateTimeToText(double jetDay) {
    // Built in a local buffer: list views and reports format many of these at once.
    const DateTimeParts p = splitJetDay(jetDay);
    char16_t buf[48];
    int n = 0;
    auto put = [&](int value, char16_t unit) {
        char16_t digits[8];
        int k = 0;
        do {
            digits[k++] = static_cast<char16_t>(u'0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (k > 0) {
            buf[n++] = digits[--k];
        }
        buf[n++] = unit;
    };
    put(p.year, u'年');
    put(p.month, u'月');
    put(p.day, u'日');
    if (p.second != 0 || p.minute != 0 || p.hour != 0) {
        put(p.hour, u'时');
        if (p.second != 0 || p.minute != 0) {
            put(p.minute, u'分');
            if (p.second != 0) {
                put(p.second, u'秒');
            }
        }
    }
    return QString(reinterpret_cast<const QChar*>(buf), n);
}

}  // namespace tillora
