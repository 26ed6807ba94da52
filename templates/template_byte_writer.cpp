#include "templates/template_byte_writer.h"

#include <QtEndian>

#include "platform/gbk_text.h"

namespace tillora {

void TemplateByteWriter::writeUInt16(quint16 v) {
    char b[2];
    qToLittleEndian<quint16>(v, b);
    data_.append(b, 2);
}

void TemplateByteWriter::writeInt32(qint32 v) {
    char b[4];
    qToLittleEndian<qint32>(v, b);
    data_.append(b, 4);
}

void TemplateByteWriter::writeBytes(QByteArrayView bytes) {
    writeInt32(static_cast<qint32>(bytes.size()));
    data_.append(bytes);
}

QByteArray TemplateByteWriter::gbk(const QString& text) {
    if (auto strict = unicodeToGbk(text)) {
        return *strict;
    }
    lossy_ = true;
    return unicodeToGbkLossy(text);
}

void TemplateByteWriter::writeText(const QString& text) {
    writeBytes(gbk(text));
}

void TemplateByteWriter::writeTextList(const QStringList& list) {
    if (list.size() < 0xFFFF) {
        writeUInt16(static_cast<quint16>(list.size()));
    } else {
        writeUInt16(0xFFFF);
        writeInt32(static_cast<qint32>(list.size()));
    }
    for (const QString& text : list) {
        writeText(text);
    }
}

void TemplateByteWriter::writeCString(const QString& text) {
    QByteArray bytes = gbk(text);
    // A zero inside would end the text early when read back.
    if (bytes.contains('\0')) {
        lossy_ = true;
        bytes.replace('\0', '?');
    }
    data_.append(bytes);
    data_.append('\0');
}

}  // namespace tillora
