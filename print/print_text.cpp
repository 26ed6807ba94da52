#include "print/print_text.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <cstdio>

namespace tillora {

namespace {

// Same rules as the program's general value formatting: "%.13g" for doubles, six significant
// digits for floats, date parts without padding.
QString doubleText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.13g", v);
    return QString::fromLatin1(buf);
}

QString floatText(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", static_cast<double>(v));
    return QString::fromLatin1(buf);
}

QString dateTimeText(const QDateTime& dt) {
    const QDate d = dt.date();
    const QTime t = dt.time();
    QString s = QStringLiteral("%1年%2月%3日").arg(d.year()).arg(d.month()).arg(d.day());
    if (t.second() != 0) {
        s += QStringLiteral("%1时%2分%3秒").arg(t.hour()).arg(t.minute()).arg(t.second());
    } else if (t.minute() != 0) {
        s += QStringLiteral("%1时%2分").arg(t.hour()).arg(t.minute());
    } else if (t.hour() != 0) {
        s += QStringLiteral("%1时").arg(t.hour());
    }
    return s;
}

}  // namespace

std::optional<QString> PrintText::fromValue(const QVariant& value) {
    if (!value.isValid()) {
        return QString();
    }
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString();
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("真") : QStringLiteral("假");
        case QMetaType::UChar:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            return QString::number(value.toULongLong());
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
            return QString::number(value.toLongLong());
        case QMetaType::Float:
            return floatText(value.toFloat());
        case QMetaType::Double:
            return doubleText(value.toDouble());
        case QMetaType::QDateTime:
            return dateTimeText(value.toDateTime());
        case QMetaType::QDate:
            return dateTimeText(value.toDate().startOfDay());
        case QMetaType::QByteArray: {
            QByteArray bytes = value.toByteArray();
            const qsizetype end = bytes.indexOf('\0');
            if (end >= 0) {
                bytes.truncate(end);
            }
            return QString::fromUtf8(bytes);
        }
        default:
            return std::nullopt;
    }
}

QStringList PrintText::fromValues(const QVariantList& values) {
    QStringList texts;
    for (const QVariant& v : values) {
        if (auto t = fromValue(v)) {
            texts.append(*t);
        }
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
