#pragma once

// The byte side of the block field lists (see property_blocks.h): BlockReader and BlockWriter
// walk a block's `fields` in stored order, and readBlock/writeBlock add the leading version and
// the strictness every block shares.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <initializer_list>
#include <optional>

#include "templates/log_font.h"
#include "templates/template_byte_reader.h"
#include "templates/template_byte_writer.h"

namespace tillora {

// One named bit of a stored int, for the window sources, which write such ints as flags.
struct FlagBit {
    const char* key;
    qint32 bit;
};

class BlockReader {
  public:
    explicit BlockReader(TemplateByteReader& r) : r_(r) {}

    void int32(const char*, qint32& v) { v = r_.readInt32(); }
    void colour(const char*, quint32& v) { v = r_.readUInt32(); }
    void char16(const char*, quint16& v) { v = r_.readUInt16(); }
    void uint8(const char*, quint8& v) { v = r_.readUInt8(); }
    void flags(const char*, qint32& v, std::initializer_list<FlagBit>) { v = r_.readInt32(); }
    void bytes(const char*, QByteArray& v) { v = r_.readBytes(); }
    void text(const char*, QString& v) { v = r_.readText(); }
    void textList(const char*, QStringList& v) { v = r_.readTextList(); }
    void cstring(const char*, QString& v) { v = r_.readCString(); }
    // A record kept as its bytes (checked where it is used).
    void fontRecord(const char*, QByteArray& v) { v = r_.readBytes(); }

    // *bytes* of length 0 (the default font) or a 60-byte record.
    void font(const char*, Font& v) {
        const QByteArray bytes = r_.readBytes();
        v.reset();
        if (r_.ok() && !bytes.isEmpty()) {
            readFont(bytes, v);
        }
    }

    // A 60-byte record without a length; all zero bytes = the default font.
    void fixedFont(const char*, Font& v) {
        const QByteArrayView bytes = r_.readRaw(LogFont::kSize);
        v.reset();
        if (r_.ok() && bytes.count('\0') != LogFont::kSize) {
            readFont(bytes, v);
        }
    }

    // *bytes* holding one int after another.
    void intBytes(const char*, QList<qint32>& v) {
        const QByteArray bytes = r_.readBytes();
        v.clear();
        if (bytes.size() % 4 != 0) {
            r_.fail();
        }
        for (qsizetype i = 0; r_.ok() && i + 4 <= bytes.size(); i += 4) {
            v.append(qFromLittleEndian<qint32>(bytes.constData() + i));
        }
    }

    // *bytes* holding records one after another up to its end.
    template <typename T>
    void recordBytes(const char*, QList<T>& v) {
        const QByteArray bytes = r_.readBytes();
        v.clear();
        TemplateByteReader inner(bytes);
        BlockReader io(inner);
        while (r_.ok() && inner.ok() && !inner.atEnd()) {
            T record;
            fields(io, record);
            v.append(record);
        }
        if (!inner.ok()) {
            r_.fail();
        }
    }

    // An int count, then the records; each record takes at least `minBytes`, so a larger count
    // is damage and refused before anything is allocated.
    template <typename T>
    void countedRecords(const char*, QList<T>& v, qsizetype minBytes) {
        const qint32 count = r_.readInt32();
        v.clear();
        if (count < 0 || count > r_.remaining() / minBytes) {
            r_.fail();
            return;
        }
        for (qint32 i = 0; i < count && r_.ok(); ++i) {
            T record;
            fields(*this, record);
            v.append(record);
        }
    }

  private:
    void readFont(QByteArrayView bytes, Font& v) {
        LogFont f;
        if (parseLogFont(bytes, f)) {
            v = f;
        } else {
            r_.fail();
        }
    }

    TemplateByteReader& r_;
};

class BlockWriter {
  public:
    explicit BlockWriter(TemplateByteWriter& w) : w_(w) {}

    void int32(const char*, qint32 v) { w_.writeInt32(v); }
    void colour(const char*, quint32 v) { w_.writeUInt32(v); }
    void char16(const char*, quint16 v) { w_.writeUInt16(v); }
    void uint8(const char*, quint8 v) { w_.writeUInt8(v); }
    void flags(const char*, qint32 v, std::initializer_list<FlagBit>) { w_.writeInt32(v); }
    void bytes(const char*, const QByteArray& v) { w_.writeBytes(v); }
    void text(const char*, const QString& v) { w_.writeText(v); }
    void textList(const char*, const QStringList& v) { w_.writeTextList(v); }
    void cstring(const char*, const QString& v) { w_.writeCString(v); }
    void fontRecord(const char*, const QByteArray& v) { w_.writeBytes(v); }
    void font(const char*, const Font& v) { w_.writeBytes(v ? writeLogFont(*v) : QByteArray()); }
    void fixedFont(const char*, const Font& v) {
        w_.writeRaw(v ? writeLogFont(*v) : QByteArray(LogFont::kSize, '\0'));
    }

    void intBytes(const char*, const QList<qint32>& v) {
        TemplateByteWriter inner;
        for (qint32 x : v) {
            inner.writeInt32(x);
        }
        w_.writeBytes(inner.data());
    }

    template <typename T>
    void recordBytes(const char*, QList<T>& v) {
        TemplateByteWriter inner;
        BlockWriter io(inner);
        for (T& record : v) {
            fields(io, record);
        }
        w_.writeBytes(inner.data());
    }

    template <typename T>
    void countedRecords(const char*, QList<T>& v, qsizetype) {
        w_.writeInt32(static_cast<qint32>(v.size()));
        for (T& record : v) {
            fields(*this, record);
        }
    }

  private:
    TemplateByteWriter& w_;
};

// Reads a block strictly: an empty block gives the defaults; a version below 1 or above the
// type's, a cut-off block, or bytes left over after the last field are refused.
template <typename T>
std::optional<T> readBlock(QByteArrayView block) {
    T value{};
    if (block.isEmpty()) {
        return value;
    }
    TemplateByteReader r(block);
    const qint32 version = r.readInt32();
    if (!r.ok() || version < 1 || version > T::kVersion) {
        return std::nullopt;
    }
    BlockReader io(r);
    fields(io, value, version);
    if (!r.atEnd()) {
        return std::nullopt;
    }
    return value;
}

// Writes the type's latest version.
template <typename T>
QByteArray writeBlock(T value) {
    TemplateByteWriter w;
    w.writeInt32(T::kVersion);
    BlockWriter io(w);
    fields(io, value, T::kVersion);
    return w.take();
}

}  // namespace tillora
