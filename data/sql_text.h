#pragma once

#include <QString>

namespace tillora {

// The one way a value reaches SQL text: placed between single quotes by the caller, with every
// single quote inside doubled, so the value can never end the literal early.
inline QString sqlText(const QString& value) {
    if (!value.contains(QLatin1Char('\''))) {
        return value;  // the common case, shared rather than copied
    }
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return quoted;
}

}  // namespace tillora
