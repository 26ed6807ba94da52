#include "print/font_description.h"

#include <QFontDatabase>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>

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

const QString& installedCjkFamily() {
    static const QString family = [] {
        const QStringList preferred{
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Droid Sans Fallback")};
        const QStringList families = QFontDatabase::families();
        for (const QString& f : preferred) {
            if (families.contains(f)) {
                return f;
            }
        }
        return QString();
    }();
    return family;
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
    QStringDecoder gbk("GBK");
    d.faceName = gbk.isValid() ? QString(gbk(face)) : QString::fromLatin1(face);
    return d;
}

QByteArray FontDescription::toBlock() const {
    QByteArray b(kRecordSize, '\0');
    writeInt(b, 0, height);
    writeInt(b, 16, weight);
    b[20] = italic ? 1 : 0;
    b[21] = underline ? 1 : 0;
    b[22] = strikeOut ? 1 : 0;
    b[23] = static_cast<char>(charSet);
    b[26] = 2;  // proof quality
    QStringEncoder gbk("GBK");
    QByteArray face = gbk.isValid() ? QByteArray(gbk(faceName)) : faceName.toLatin1();
    face.truncate(kFaceSize - 1);
    std::copy(face.cbegin(), face.cend(), b.begin() + kFaceOffset);
    return b;
}

int FontDescription::pixelHeight() const {
    return height == 0 ? kDefaultPixelHeight : std::abs(height);
}

QFont FontDescription::toQFont(int devicePixelSize) const {
    QFont f(substituteFamily(faceName));
    f.setPixelSize(std::max(1, devicePixelSize));
    if (weight > 0) {
        f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    }
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QString FontDescription::substituteFamily(const QString& face) {
    static const QStringList windowsCjk{QStringLiteral("宋体"),    QStringLiteral("新宋体"),
                                        QStringLiteral("黑体"),    QStringLiteral("SimSun"),
                                        QStringLiteral("NSimSun"), QStringLiteral("SimHei"),
                                        QStringLiteral("微软雅黑")};
    if ((face.isEmpty() || windowsCjk.contains(face)) && !installedCjkFamily().isEmpty()) {
        return installedCjkFamily();
    }
    return face;
}

}  // namespace tillora
