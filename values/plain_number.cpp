#include "values/plain_number.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace tillora {

bool hasControlCharacter(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u <= 0x9F);
    });
}

std::optional<double> parsePlainDecimal(const QString& text, int decimals, double low,
                                        double high) {
    static const QRegularExpression shape(
        QStringLiteral("^-?(?:[0-9]+(?:\\.([0-9]*))?|\\.([0-9]+))$"));
    if (hasControlCharacter(text)) {
        return std::nullopt;
    }
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch m = shape.match(trimmed);
    if (!m.hasMatch() || std::max(m.capturedLength(1), m.capturedLength(2)) > decimals ||
        (low >= 0 && trimmed.startsWith(QLatin1Char('-')))) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value) || value < low || value > high) {
        return std::nullopt;
    }
    return value == 0.0 ? 0.0 : value;  // "-0" reads as 0
}

std::optional<double> parsePlainAmount(const QString& text, bool allowNegative) {
    return parsePlainDecimal(text, 2, allowNegative ? -kMaxAmount : 0.0, kMaxAmount);
}

}  // namespace tillora
