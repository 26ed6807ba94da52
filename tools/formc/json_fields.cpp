#include "tools/formc/json_fields.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <cstdlib>

#include "platform/gbk_text.h"
#include "tools/formc/source_error.h"

namespace tillora::formc {

QJsonValue JsonFields::take(const QString& key) {
    taken_.insert(key);
    return object_.value(key);
}

QString JsonFields::path(const QString& key) const {
    return path_.isEmpty() ? key : path_ + QLatin1Char('.') + key;
}

void JsonFields::error(const QString& key, const QString& what) const {
    throw SourceError{path(key) + QStringLiteral(": ") + what};
}

void JsonFields::integer(const QString& key, qint32& target) {
    const QJsonValue v = take(key);
    if (v.isUndefined()) {
        return;
    }
    if (v.isBool()) {
        target = v.toBool() ? 1 : 0;
        return;
    }
    const double d = v.toDouble(0.5);
    if (!v.isDouble() || d != static_cast<double>(static_cast<qint64>(d)) || d < -2147483648.0 ||
        d > 4294967295.0) {
        error(key, QStringLiteral("expected a whole number"));
    }
    target = static_cast<qint32>(static_cast<quint32>(static_cast<qint64>(d)));
}

void JsonFields::flag(const QString& key, bool& target) {
    const QJsonValue v = take(key);
    if (v.isUndefined()) {
        return;
    }
    if (!v.isBool()) {
        error(key, QStringLiteral("expected true or false"));
    }
    target = v.toBool();
}

void JsonFields::colour(const QString& key, ColourRef& target) {
    const QJsonValue v = take(key);
    if (v.isUndefined()) {
        return;
    }
    const QString s = v.toString();
    if (s == QLatin1String("default") || s == QLatin1String("transparent")) {
        target = kDefaultColour;
        return;
    }
    bool ok = false;
    const uint rgb = s.mid(1).toUInt(&ok, 16);
    if (!v.isString() || s.size() != 7 || !s.startsWith(QLatin1Char('#')) || !ok) {
        error(key, QStringLiteral("expected \"#RRGGBB\", \"default\" or \"transparent\""));
    }
    target = rgbColour(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

void JsonFields::text(const QString& key, QString& target) {
    const QJsonValue v = take(key);
    if (v.isUndefined()) {
        return;
    }
    if (!v.isString()) {
        error(key, QStringLiteral("expected a text"));
    }
    target = v.toString();
}

void JsonFields::textList(const QString& key, QStringList& target) {
    const QJsonValue v = take(key);
    if (v.isUndefined()) {
        return;
    }
    if (!v.isArray()) {
        error(key, QStringLiteral("expected a list of texts"));
    }
    QStringList list;
    for (const QJsonValue& item : v.toArray()) {
        if (!item.isString()) {
            error(key, QStringLiteral("expected a list of texts"));
        }
        list.append(item.toString());
    }
    target = list;
}

QList<qint32> JsonFields::integers(const QString& key, int count) {
    const QJsonValue v = take(key);
    if (v.isUndefined()) {
        return {};
    }
    const QJsonArray a = v.toArray();
    if (!v.isArray() || (count >= 0 && a.size() != count)) {
        error(key, count >= 0 ? QStringLiteral("expected %1 whole numbers").arg(count)
                              : QStringLiteral("expected a list of whole numbers"));
    }
    QList<qint32> out;
    for (const QJsonValue& x : a) {
        if (!x.isDouble() || x.toDouble() != double(x.toInt())) {
            error(key, QStringLiteral("expected whole numbers"));
        }
        out.append(x.toInt());
    }
    return out;
}

void JsonFields::font(const QString& key, Font& target) {
    const QJsonValue v = take(key);
    if (v.isUndefined()) {
        return;
    }
    if (v.isNull() || v.toString() == QLatin1String("default")) {
        target.reset();
        return;
    }
    if (!v.isObject()) {
        error(key, QStringLiteral("expected {\"face\": ..., \"height\": ...} or \"default\""));
    }
    JsonFields f(v.toObject(), path(key), resources_);
    LogFont font;
    qint32 height = 0;
    f.text(QStringLiteral("face"), font.faceName);
    f.integer(QStringLiteral("height"), height);
    // Heights are character heights in pixels, stored negative as Windows expects.
    font.height = -std::abs(height);
    f.integer(QStringLiteral("weight"), font.weight);
    qint32 italic = 0, underline = 0, strikeOut = 0, charSet = font.charSet;
    f.integer(QStringLiteral("italic"), italic);
    f.integer(QStringLiteral("underline"), underline);
    f.integer(QStringLiteral("strikeOut"), strikeOut);
    f.integer(QStringLiteral("charSet"), charSet);
    font.italic = quint8(italic);
    font.underline = quint8(underline);
    font.strikeOut = quint8(strikeOut);
    font.charSet = quint8(charSet);
    f.finish();
    if (font.faceName.isEmpty()) {
        error(key, QStringLiteral("a font needs a face"));
    }
    // The record holds the face in GBK; a face it can't hold would be stored as question marks.
    if (!unicodeToGbk(font.faceName)) {
        error(key, QStringLiteral("the face has no GBK form"));
    }
    target = font;
}

void JsonFields::file(const QString& key, QByteArray& target) {
    QString name;
    text(key, name);
    if (name.isEmpty()) {
        return;
    }
    QFile f(QDir(resources_).filePath(name));
    if (!f.open(QIODevice::ReadOnly)) {
        error(key, QStringLiteral("can't read %1").arg(f.fileName()));
    }
    target = f.readAll();
}

void JsonFields::character(const QString& key, quint16& target) {
    QString s;
    if (!has(key)) {
        take(key);
        return;
    }
    text(key, s);
    if (s.size() != 1) {
        error(key, QStringLiteral("expected one character"));
    }
    target = s.front().unicode();
}

void JsonFields::finish() const {
    for (auto it = object_.begin(); it != object_.end(); ++it) {
        if (!taken_.contains(it.key())) {
            error(it.key(), QStringLiteral("unknown field"));
        }
    }
}

}  // namespace tillora::formc
