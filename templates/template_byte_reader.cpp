#include "templates/template_byte_reader.h"

#include <QtEndian>

#include "platform/gbk_text.h"

namespace tillora {

bool TemplateByteReader::need(qsizetype n) {
    if (!ok_ || n < 0 || n > data_.size() - pos_) {
        ok_ = false;
        return false;
    }
    return true;
}

quint8 TemplateByteReader::readUInt8() {
    if (!need(1)) {
        return 0;
    }
    return static_cast<quint8>(data_[pos_++]);
}

quint16 TemplateByteReader::readUInt16() {
    if (!need(2)) {
        return 0;
    }
    const quint16 v = qFromLittleEndian<quint16>(data_.data() + pos_);
    pos_ += 2;
    return v;
}

qint32 TemplateByteReader::readInt32() {
    if (!need(4)) {
        return 0;
    }
    const qint32 v = qFromLittleEndian<qint32>(data_.data() + pos_);
    pos_ += 4;
    return v;
}

QByteArrayView TemplateByteReader::readRaw(qsizetype n) {
    if (!need(n)) {
        return {};
    }
    const QByteArrayView v = data_.sliced(pos_, n);
    pos_ += n;
    return v;
}

QByteArray TemplateByteReader::readBytes() {
    const qint32 n = readInt32();
    return readRaw(n).toByteArray();
}

QString TemplateByteReader::readText() {
    const qint32 n = readInt32();
    const QByteArrayView raw = readRaw(n);
    if (!ok_) {
        return {};
    }
    auto text = gbkToUnicode(raw);
    if (!text) {
        ok_ = false;
        return {};
    }
    return *text;
}

QStringList TemplateByteReader::readTextList() {
    qint64 count = readUInt16();
    if (count == 0xFFFF) {
        count = readInt32();
    }
    // Each text takes at least its 4-byte length: a count beyond that is damage, and checking it
    // first keeps a damaged count from reserving memory.
    if (!ok_ || count < 0 || count > remaining() / 4) {
        ok_ = false;
        return {};
    }
    QStringList list;
    list.reserve(static_cast<qsizetype>(count));
    for (qint64 i = 0; i < count && ok_; ++i) {
        list.append(readText());
    }
    return ok_ ? list : QStringList();
}

QString TemplateByteReader::readCString() {
    if (!ok_) {
        return {};
    }
    const qsizetype end = data_.indexOf('\0', pos_);
    if (end < 0) {
        ok_ = false;
        return {};
    }
    auto text = gbkToUnicode(data_.sliced(pos_, end - pos_));
    if (!text) {
        ok_ = false;
        return {};
    }
    pos_ = end + 1;
    return *text;
}

}  // namespace tillora
