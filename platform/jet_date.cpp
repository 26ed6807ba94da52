#include "platform/jet_date.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tillora {

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMinDay = -657434.0;  // 100-01-01
constexpr double kMaxDay = 2958465.0;  // 9999-12-31

std::function<QDateTime()>& clockFunction() {
    static std::function<QDateTime()> clock;
    return clock;
}

}  // namespace

double clampJetDay(double jetDay) {
    if (std::isnan(jetDay)) {
        return 0.0;
    }
    return std::clamp(jetDay, kMinDay, kMaxDay + 86399.0 / 86400.0);
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
    const auto& clock = clockFunction();
    QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    // Whole seconds, as the Jet clock stores them.
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return jetDayFromDateTime(now);
}

void setJetClock(std::function<QDateTime()> clock) {
    clockFunction() = std::move(clock);
}

}  // namespace tillora
