#include "print/block_writer.h"

#include <QStringEncoder>
#include <QtEndian>

namespace tillora {

void BlockWriter::writeInt(qint32 value) {
    char buf[4];
    qToLittleEndian(value, buf);
    data_.append(buf, 4);
}

void BlockWriter::writeBytes(const QByteArray& bytes) {
    writeInt(static_cast<qint32>(bytes.size()));
    data_.append(bytes);
}

void BlockWriter::writeText(const QString& text) {
    QStringEncoder gbk("GBK");
    writeBytes(gbk.isValid() ? QByteArray(gbk(text)) : text.toLatin1());
}

}  // namespace tillora
