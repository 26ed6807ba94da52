#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tillora {

// Bounds-checked little-endian reading of a component's property block. Once a read runs past
// the end the reader is failed and every further read gives zero/empty.
class BlockReader {
  public:
    explicit BlockReader(const QByteArray& data) : data_(data) {}

    qint32 readInt();
    QByteArray readBytes();  // int length, then the bytes
    QString readText();      // length-prefixed GBK text
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ >= data_.size(); }

  private:
    const QByteArray& data_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

}  // namespace tillora
