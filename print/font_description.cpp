#include "print/font_description.h"

#include <QtEndian>
#include <algorithm>

#include "platform/gbk_text.h"

namespace tillora {

namespace {

constexpr int kFaceOffset = 28;
constexpr int kFaceSize = 32;

qint32 readInt(const QByteArray& b, int offset) {
    return qFromLittleEndian<qint32>(b.constData() + offset);
}

void writeInt(QByteArray& b, int offset, qint32 v) {
    qToLittleEndian(v, b.data() + offset);
}

}  // namespace

FontDescription FontDescription::fromBlock(const QByteArray& block) {
    FontDescription d;
    if (block.size() < kRecordSize) {
        return d;
    }
    d.height = readInt(block, 0);
    d.weight = readInt(block, 16);
    d.italic = block.at(20) != 0;
    d.underline = block.at(21) != 0;
    d.strikeOut = block.at(22) != 0;
    d.charSet = static_cast<unsigned char>(block.at(23));
    QByteArray face = block.mid(kFaceOffset, kFaceSize);
    const qsizetype end = face.indexOf('\0');
    if (end >= 0) {
        face.truncate(end);
    }
    // A damaged name still draws: its bad bytes show as replacement characters.
    d.faceName = gbkToUnicodeLossy(face);
    return d;
}

std::optional<QByteArray> FontDescription::toBlock() const {
    const std::optional<QByteArray> gbkFace = unicodeToGbk(faceName);
    if (!gbkFace) {
        return std::nullopt;
    }
    QByteArray b(kRecordSize, '\0');
    writeInt(b, 0, height);
    writeInt(b, 16, weight);
    b[20] = italic ? 1 : 0;
    b[21] = underline ? 1 : 0;
    b[22] = strikeOut ? 1 : 0;
    b[23] = static_cast<char>(charSet);
    b[26] = 2;  // proof quality
    QByteArray face = *gbkFace;
    face.truncate(kFaceSize - 1);
    std::copy(face.cbegin(), face.cend(), b.begin() + kFaceOffset);
    return b;
}

}  // namespace tillora
