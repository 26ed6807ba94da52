#include "forms/input_mode.h"

#include <algorithm>
#include <limits>

#include "values/value_format.h"

namespace tillora {

namespace {

bool isDigit(char32_t ch) {
    return ch >= U'0' && ch <= U'9';
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

bool inputModeAccepts(InputMode mode, char32_t ch) {
    if (ch < 32) {
        return true;
    }
    switch (mode) {
        case InputMode::IntegerText:
        case InputMode::Short:
        case InputMode::Integer:
        case InputMode::Long:
            return ch == U'-' || isDigit(ch);
        case InputMode::DecimalText:
        case InputMode::Float:
        case InputMode::Double:
            return ch == U'-' || ch == U'.' || isDigit(ch);
        case InputMode::Byte:
            return isDigit(ch);
        default:
            return true;
    }
}

QString canonicalText(InputMode mode, const QString& typed) {
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
