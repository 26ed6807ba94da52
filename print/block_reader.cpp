#include "print/block_reader.h"

#include <QStringDecoder>
#include <QtEndian>

namespace tillora {

qint32 BlockReader::readInt() {
    if (!ok_ || data_.size() - pos_ < 4) {
        ok_ = false;
        return 0;
    }
    const qint32 v = qFromLittleEndian<qint32>(data_.constData() + pos_);
    pos_ += 4;
    return v;
}

QByteArray BlockReader::readBytes() {
    const qint32 length = readInt();
    if (!ok_ || length < 0 || data_.size() - pos_ < length) {
        ok_ = false;
        return {};
    }
    QByteArray out = data_.mid(pos_, length);
    pos_ += length;
    return out;
}

QString BlockReader::readText() {
    const QByteArray bytes = readBytes();
    QStringDecoder gbk("GBK");
    return gbk.isValid() ? QString(gbk(bytes)) : QString::fromLatin1(bytes);
}

}  // namespace tillora
