#include "forms/input_mode.h"

#include <algorithm>
#include <limits>

#include <QRegularExpression>

#include "values/value_format.h"

namespace tillora {

namespace {

// Whether the whole text is a number of the mode's kind: an optional sign, digits, and for the
// float modes a point with digits. Exponents and trailing junk are not: converting them would
// give a number other than the one shown.
bool isPlainNumber(const QString& typed, bool whole) {
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    static const QRegularExpression decimal(
        QStringLiteral("^[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)$"));
    const QString ascii = fullWidthToAscii(typed).trimmed();
    return (whole ? integer : decimal).match(ascii).hasMatch();
}

QString integerText(qint64 value, qint64 low, qint64 high) {
    return QString::number(std::clamp(value, low, high));
}

float toFloat(double value) {
    // Out of the float range is undefined behaviour for a plain cast.
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -kMax) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

}  // namespace

QString canonicalText(InputMode mode, const QString& typed) {
    const bool whole = mode == InputMode::Byte || mode == InputMode::Short ||
                       mode == InputMode::Integer || mode == InputMode::Long;
    const bool converts = whole || mode == InputMode::Float || mode == InputMode::Double;
    if (converts && !typed.trimmed().isEmpty() && !isPlainNumber(typed, whole)) {
        return typed;
    }
    QString text;
    switch (mode) {
        case InputMode::Byte:
            text = integerText(textToLong(typed), 0, 255);
            break;
        case InputMode::Short:
            text = integerText(textToLong(typed), std::numeric_limits<qint16>::min(),
                               std::numeric_limits<qint16>::max());
            break;
        case InputMode::Integer:
            text = integerText(textToLong(typed), std::numeric_limits<qint32>::min(),
                               std::numeric_limits<qint32>::max());
            break;
        case InputMode::Long:
            text = QString::number(textToLong(typed));
            break;
        case InputMode::Float:
            // + 0.0f turns a typed "-0" into 0, which then shows as an empty box.
            text = floatToText(toFloat(textToDouble(typed)) + 0.0f);
            break;
        case InputMode::Double:
            text = doubleToText(textToDouble(typed) + 0.0);
            break;
        case InputMode::DateTime: {
            const std::optional<double> day = textToJetDay(typed);
            return day && *day != 0 ? dateTimeToText(*day) : QString();
        }
        default:
            return typed;
    }
    return text == u"0" ? QString() : text;
}

}  // namespace tillora
