#include "sales/amount_text.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

#include "values/value_format.h"

namespace tillora::amounts {

QString toText(double amount) {
    double rounded = roundTo(amount, 2);
    if (rounded == 0.0) {
        rounded = 0.0;  // drops the sign of -0
    }
    return QString::asprintf("%.2f", rounded);
}

double fromText(const QString& text) {
    return textToDouble(text.trimmed());
}

QString normalized(const QString& text) {
    return toText(fromText(text));
}

std::optional<int> parseQuantity(const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]{1,8}$"));
    if (hasControlCharacter(text) || !whole.match(text.trimmed()).hasMatch()) {
        return std::nullopt;
    }
    return text.trimmed().toInt();
}

std::optional<double> parseDiscount(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[0-9]{1,2}(?:\\.[0-9])?$"));
    if (hasControlCharacter(text) || !plain.match(text.trimmed()).hasMatch()) {
        return std::nullopt;
    }
    const double value = QLocale::c().toDouble(text.trimmed());
    if (value < 1.0 || value > 10.0) {
        return std::nullopt;
    }
    return value;
}

QString discountText(double tenths) {
    const double rounded = roundTo(tenths, 1);
    return rounded == 10.0 ? QStringLiteral("10") : QString::number(rounded, 'f', 1);
}

QStringList discountChoices() {
    QStringList list{QStringLiteral("10")};
    for (int tenths = 99; tenths >= 10; --tenths) {
        list.append(discountText(tenths / 10.0));
    }
    return list;
}

}  // namespace tillora::amounts
