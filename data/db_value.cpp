#include "data/db_value.h"

#include "platform/jet_date.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tillora {

namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

double leadingNumber(const QString& text) {
    // The longest leading part that reads as a decimal number ("7kg" is 7).
    const QString t = text.trimmed();
    int end = 0;
    const int n = static_cast<int>(t.size());
    if (end < n && (t[end] == u'+' || t[end] == u'-')) {
        ++end;
    }
    while (end < n && t[end].isDigit()) {
        ++end;
    }
    if (end < n && t[end] == u'.') {
        ++end;
        while (end < n && t[end].isDigit()) {
            ++end;
        }
    }
    bool ok = false;
    const double value = t.left(end).toDouble(&ok);
    return ok ? value : 0.0;
}

}  // namespace

DbValue DbValue::fromDateTime(double jetDay) {
    return DbValue(Kind::DateTime, clampJetDay(jetDay));
}

double DbValue::toDouble() const {
    return std::visit(
        Overloaded{[](std::monostate) { return 0.0; }, [](bool v) { return v ? 1.0 : 0.0; },
                   [](const QString& v) { return leadingNumber(v); },
                   [](const QByteArray&) { return 0.0; },
                   [](auto v) { return static_cast<double>(v); }},
        storage_);
}

qint32 DbValue::toInt() const {
    const double v = std::trunc(toDouble());
    if (std::isnan(v)) {
        return 0;
    }
    return static_cast<qint32>(std::clamp(v, double(std::numeric_limits<qint32>::min()),
                                          double(std::numeric_limits<qint32>::max())));
}

bool DbValue::toBool() const {
    if (kind_ == Kind::Text) {
        return std::get<QString>(storage_) == QStringLiteral("真");
    }
    return toDouble() != 0.0;
}

QString DbValue::toText() const& {
    switch (kind_) {
        case Kind::Empty:
            return {};
        case Kind::Bool:
            return std::get<bool>(storage_) ? QStringLiteral("真") : QStringLiteral("假");
        case Kind::Byte:
            return QString::number(std::get<quint8>(storage_));
        case Kind::Short:
            return QString::number(std::get<qint16>(storage_));
        case Kind::Int:
            return QString::number(std::get<qint32>(storage_));
        case Kind::Float:
            return QString::asprintf("%.6g", double(std::get<float>(storage_)));
        case Kind::Double:
            return QString::asprintf("%.13g", std::get<double>(storage_));
        case Kind::DateTime:
            return dateTimeToText(std::get<double>(storage_));
        case Kind::Text:
            return std::get<QString>(storage_);
        case Kind::Bytes: {
            const QByteArray& b = std::get<QByteArray>(storage_);
            const auto zero = b.indexOf('\0');
            return QString::fromUtf8(zero < 0 ? b : b.left(zero));
        }
    }
    return {};
}

QString DbValue::toText() && {
    if (kind_ == Kind::Text) {
        return std::move(std::get<QString>(storage_));
    }
    return std::as_const(*this).toText();
}

QByteArray DbValue::toBytes() const {
    if (kind_ == Kind::Bytes) {
        return std::get<QByteArray>(storage_);
    }
    if (kind_ == Kind::Text) {
        return std::get<QString>(storage_).toUtf8();
    }
    return {};
}

}  // namespace tillora
