#include "print/font_description.h"

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

#include "templates/log_font.h"

namespace tillora {

namespace {

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
    LogFont f;
    if (!parseLogFont(block, f)) {
        return d;
    }
    d.height = f.height;
    d.weight = f.weight;
    d.italic = f.italic != 0;
    d.underline = f.underline != 0;
    d.strikeOut = f.strikeOut != 0;
    d.charSet = f.charSet;
    d.faceName = f.faceName;
    return d;
}

QByteArray FontDescription::toBlock() const {
    LogFont f;
    f.height = height;
    f.weight = weight;
    f.italic = italic ? 1 : 0;
    f.underline = underline ? 1 : 0;
    f.strikeOut = strikeOut ? 1 : 0;
    f.charSet = static_cast<quint8>(charSet);
    f.quality = 2;  // proof quality
    f.faceName = faceName;
    return writeLogFont(f);
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
