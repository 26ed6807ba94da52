#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tillora {

// The writing side of BlockReader.
class BlockWriter {
  public:
    void writeInt(qint32 value);
    void writeBytes(const QByteArray& bytes);
    void writeText(const QString& text);
    const QByteArray& data() const { return data_; }

  private:
    QByteArray data_;
};

}  // namespace tillora
