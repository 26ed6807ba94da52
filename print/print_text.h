#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "values/value.h"

namespace tillora {

// The text that WriteLines/WriteAt draw for their values, and how a text is cut into lines.
class PrintText {
  public:
    // Numbers as the program shows them, booleans as 真/假, date-times as date text, text
    // unchanged; an empty (omitted) value gives empty text.
    static QString fromValue(const Value& value);
    static QStringList fromValues(const QList<Value>& values);
    // Splits at CR LF, CR or LF; empty pieces are kept (an empty text is one empty piece).
    static QStringList splitLines(const QString& text);
};

}  // namespace tillora
