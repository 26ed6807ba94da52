#include "forms/component_font.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tillora {

namespace {

const QStringList& windowsCjkFaces() {
    static const QStringList faces{QStringLiteral("宋体"),    QStringLiteral("新宋体"),
                                   QStringLiteral("黑体"),    QStringLiteral("SimSun"),
                                   QStringLiteral("NSimSun"), QStringLiteral("SimHei"),
                                   QStringLiteral("微软雅黑")};
    return faces;
}

// Ordered by how close each font comes to 宋体's metrics, on which every template's places were
// measured: a Chinese character one pixel size wide, Latin letters, digits and blanks half of it,
// and a line exactly the pixel size tall. AR PL UMing matches all three (and is a Song face too);
// UKai and the two monospaced sans faces keep the widths but take taller lines; the proportional
// faces last, as their wider digits and narrow blanks cut texts and shift aligned columns.
const QStringList& cjkStandIns() {
    static const QStringList families{
        QStringLiteral("AR PL UMing CN"),         QStringLiteral("AR PL UKai CN"),
        QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("Noto Sans Mono CJK SC"),
        QStringLiteral("WenQuanYi Micro Hei"),    QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("Noto Sans CJK SC"),       QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Droid Sans Fallback"),
    };
    return families;
}

}  // namespace

QStringList fontFamilies(const QString& face) {
    if (!windowsCjkFaces().contains(face)) {
        return {face};
    }
    return QStringList{face} + cjkStandIns();
}

void installFontSubstitutions() {
    for (const QString& face : windowsCjkFaces()) {
        QFont::insertSubstitutions(face, cjkStandIns());
    }
}

QFont defaultGuiFont() {
    QFont font;
    font.setFamilies(fontFamilies(QStringLiteral("宋体")));
    font.setPixelSize(kDefaultGuiFontPixels);
    return font;
}

int characterPixelHeight(qint32 height) {
    if (height < 0) {
        return height == std::numeric_limits<qint32>::min() ? std::numeric_limits<qint32>::max()
                                                            : -height;
    }
    if (height > 0) {
        return std::max(1, static_cast<int>(std::lround(height * 0.875)));
    }
    return 0;
}

QFont toQFont(const Font& font, const QFont& base, int pixelSize) {
    if (!font) {
        return base;
    }
    QFont result = base;
    const int size = pixelSize > 0 ? pixelSize : characterPixelHeight(font->height);
    if (size > 0) {
        result.setPixelSize(size);
    }
    if (font->weight > 0) {
        result.setWeight(static_cast<QFont::Weight>(std::clamp(font->weight, 1, 1000)));
    }
    result.setItalic(font->italic != 0);
    result.setUnderline(font->underline != 0);
    result.setStrikeOut(font->strikeOut != 0);
    if (!font->faceName.isEmpty()) {
        result.setFamilies(fontFamilies(font->faceName));
    }
    return result;
}

}  // namespace tillora
