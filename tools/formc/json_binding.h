#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <initializer_list>

#include "templates/block_io.h"
#include "tools/formc/json_fields.h"
#include "tools/formc/source_error.h"

namespace tillora::formc {

// The window-source side of the block field lists (templates/property_blocks.h): each field the
// list names is read from the source object under that name; fields kept only in the block
// (a null name) keep their defaults.
class JsonBinding {
  public:
    explicit JsonBinding(JsonFields& f) : f_(f) {}

    void int32(const char* key, qint32& v) { bind(key, v, &JsonFields::integer); }
    void colour(const char* key, quint32& v) { bind(key, v, &JsonFields::colour); }
    void char16(const char* key, quint16& v) { bind(key, v, &JsonFields::character); }
    void uint8(const char*, quint8&) {}
    // Named bits of an int, each written as a flag in the source.
    void flags(const char*, qint32& v, std::initializer_list<FlagBit> bits) {
        for (const FlagBit& b : bits) {
            bool on = (v & b.bit) != 0;
            f_.flag(name(b.key), on);
            v = on ? (v | b.bit) : (v & ~b.bit);
        }
    }
    // Stored bytes come from a file under the resources folder.
    void bytes(const char* key, QByteArray& v) { bind(key, v, &JsonFields::file); }
    void text(const char* key, QString& v) { bind(key, v, &JsonFields::text); }
    void textList(const char* key, QStringList& v) { bind(key, v, &JsonFields::textList); }
    void cstring(const char* key, QString& v) { text(key, v); }
    void font(const char* key, Font& v) { bind(key, v, &JsonFields::font); }
    void fixedFont(const char* key, Font& v) { font(key, v); }
    void fontRecord(const char* key, QByteArray& v) {
        if (key == nullptr || !f_.has(name(key))) {
            return;
        }
        Font font;
        f_.font(name(key), font);
        v = font ? writeLogFont(*font) : QByteArray();
    }
    void intBytes(const char* key, QList<qint32>& v) {
        if (key != nullptr && f_.has(name(key))) {
            v = f_.integers(name(key));
        }
    }

    template <typename T>
    void recordBytes(const char* key, QList<T>& v) {
        records(key, v);
    }
    template <typename T>
    void countedRecords(const char* key, QList<T>& v, qsizetype) {
        records(key, v);
    }

  private:
    static QString name(const char* key) { return QString::fromLatin1(key); }

    // A field the list names is read under that name; a field kept only in the block is skipped.
    template <typename T>
    void bind(const char* key, T& v, void (JsonFields::*read)(const QString&, T&)) {
        if (key != nullptr) {
            (f_.*read)(name(key), v);
        }
    }

    // A list of objects, one per record.
    template <typename T>
    void records(const char* key, QList<T>& v) {
        const QJsonValue value = f_.take(name(key));
        if (value.isUndefined()) {
            return;
        }
        if (!value.isArray()) {
            f_.error(name(key), QStringLiteral("expected a list"));
        }
        const QJsonArray a = value.toArray();
        QList<T> list;
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QString path = f_.path(name(key)) + QStringLiteral("[%1]").arg(i);
            if (!a[i].isObject()) {
                throw SourceError{path + QStringLiteral(": expected an object")};
            }
            JsonFields inner(a[i].toObject(), path, QString());
            JsonBinding io(inner);
            T record;
            fields(io, record);
            inner.finish();
            list.append(record);
        }
        v = list;
    }

    JsonFields& f_;
};

// Binds a whole block from the source object (its fields only; the caller finishes the object).
template <typename T>
T bindBlock(JsonFields& f, T block = T{}) {
    JsonBinding io(f);
    fields(io, block, T::kVersion);
    return block;
}

}  // namespace tillora::formc
