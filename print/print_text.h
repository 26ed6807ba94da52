#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <optional>

namespace tillora {

// Turns the values handed to WriteLines/WriteAt into the text that is drawn: numbers as the
// program shows them, booleans as 真/假, date-times as date text, text unchanged. An invalid
// (omitted) value gives empty text; a value of any other type gives nullopt and is skipped.
class PrintText {
  public:
    static std::optional<QString> fromValue(const QVariant& value);
    // The texts of all values that are printable, in order.
    static QStringList fromValues(const QVariantList& values);
    // Splits at CR LF, CR or LF; empty pieces are kept (an empty text is one empty piece).
    static QStringList splitLines(const QString& text);
};

}  // namespace tillora
