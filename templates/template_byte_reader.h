#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tillora {

// Sequential, bounds-checked reading of the template byte format (little-endian ints; *bytes*,
// *text*, *text list*, *cstr*). The first failed read makes the reader fail for good: every later
// read gives a zero value, so callers check ok() once at the end of a structure.
class TemplateByteReader {
  public:
    explicit TemplateByteReader(QByteArrayView data) : data_(data) {}

    bool ok() const { return ok_; }
    bool atEnd() const { return ok_ && pos_ == data_.size(); }
    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return ok_ ? data_.size() - pos_ : 0; }
    void fail() { ok_ = false; }

    quint8 readUInt8();
    quint16 readUInt16();
    qint32 readInt32();
    quint32 readUInt32() { return static_cast<quint32>(readInt32()); }
    // n raw bytes.
    QByteArrayView readRaw(qsizetype n);
    // int length, then that many bytes.
    QByteArray readBytes();
    // *bytes* holding GBK text; fails on invalid GBK.
    QString readText();
    // 16-bit count (or 0xFFFF and a 32-bit count), then that many *text*s.
    QStringList readTextList();
    // GBK text ended by a zero byte.
    QString readCString();

  private:
    bool need(qsizetype n);

    QByteArrayView data_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

}  // namespace tillora
