#include "print/print_text.h"

#include "values/value_format.h"

namespace tillora {

QString PrintText::fromValue(const Value& value) {
    return value.isEmpty() ? QString() : valueToText(value);
}

QStringList PrintText::fromValues(const QList<Value>& values) {
    QStringList texts;
    texts.reserve(values.size());
    for (const Value& v : values) {
        texts.append(fromValue(v));
    }
    return texts;
}

QStringList PrintText::splitLines(const QString& text) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            pieces.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    pieces.append(text.mid(start));
    return pieces;
}

}  // namespace tillora
