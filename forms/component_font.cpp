#include "forms/component_font.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace tillora {

void installFontSubstitutions() {
    const QStringList installed = {
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("Noto Sans CJK SC"),    QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Droid Sans Fallback"), QStringLiteral("AR PL UMing CN"),
    };
    const QStringList windowsNames = {QStringLiteral("宋体"),    QStringLiteral("新宋体"),
                                      QStringLiteral("黑体"),    QStringLiteral("SimSun"),
                                      QStringLiteral("NSimSun"), QStringLiteral("SimHei")};
    for (const QString& name : windowsNames) {
        QFont::insertSubstitutions(name, installed);
    }
}

QFont toQFont(const Font& font, const QFont& base) {
    if (!font) {
        return base;
    }
    QFont result = base;
    if (font->height < 0) {
        result.setPixelSize(-font->height);
    } else if (font->height > 0) {
        // A cell height includes the internal leading, about an eighth of it for CJK fonts.
        result.setPixelSize(std::max(1, static_cast<int>(std::lround(font->height * 0.875))));
    }
    if (font->weight > 0) {
        result.setWeight(static_cast<QFont::Weight>(std::clamp(font->weight, 1, 1000)));
    }
    result.setItalic(font->italic != 0);
    result.setUnderline(font->underline != 0);
    result.setStrikeOut(font->strikeOut != 0);
    if (!font->faceName.isEmpty()) {
        result.setFamilies({font->faceName});
    }
    return result;
}

}  // namespace tillora
