#include "templates/log_font.h"

#include <cstdlib>

#include "platform/gbk_text.h"
#include "templates/template_byte_reader.h"
#include "templates/template_byte_writer.h"

namespace tillora {

bool parseLogFont(QByteArrayView bytes, LogFont& out) {
    if (bytes.size() != LogFont::kSize) {
        return false;
    }
    TemplateByteReader r(bytes);
    LogFont f;
    f.height = r.readInt32();
    f.width = r.readInt32();
    f.escapement = r.readInt32();
    f.orientation = r.readInt32();
    f.weight = r.readInt32();
    f.italic = r.readUInt8();
    f.underline = r.readUInt8();
    f.strikeOut = r.readUInt8();
    f.charSet = r.readUInt8();
    f.outPrecision = r.readUInt8();
    f.clipPrecision = r.readUInt8();
    f.quality = r.readUInt8();
    f.pitchAndFamily = r.readUInt8();
    const QByteArrayView face = r.readRaw(LogFont::kFaceNameBytes);
    const qsizetype end = face.indexOf('\0');
    if (!r.ok() || end < 0) {
        return false;
    }
    auto name = gbkToUnicode(face.first(end));
    if (!name) {
        return false;
    }
    f.faceName = *name;
    out = f;
    return true;
}

QByteArray writeLogFont(const LogFont& font) {
    TemplateByteWriter w;
    w.writeInt32(font.height);
    w.writeInt32(font.width);
    w.writeInt32(font.escapement);
    w.writeInt32(font.orientation);
    w.writeInt32(font.weight);
    for (quint8 b : {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
                     font.clipPrecision, font.quality, font.pitchAndFamily}) {
        w.writeUInt8(b);
    }
    const QByteArray face = unicodeToGbkLossy(font.faceName);
    // Cut at a character boundary: a GBK lead byte (0x81-0xFE) takes the next byte with it.
    qsizetype keep = 0;
    for (qsizetype i = 0; i < face.size();) {
        const qsizetype step = static_cast<unsigned char>(face[i]) >= 0x81 ? 2 : 1;
        if (i + step > LogFont::kFaceNameBytes - 1 || i + step > face.size()) {
            break;
        }
        i += step;
        keep = i;
    }
    QByteArray padded = face.left(keep);
    padded.append(QByteArray(LogFont::kFaceNameBytes - keep, '\0'));
    w.writeRaw(padded);
    return w.take();
}

LogFont makeFont(const QString& face, int pixelHeight, int weight) {
    LogFont f;
    f.height = -std::abs(pixelHeight);
    f.weight = weight;
    f.faceName = face;
    return f;
}

}  // namespace tillora
