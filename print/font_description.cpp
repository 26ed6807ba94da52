#include "print/font_description.h"

#include "platform/gbk_text.h"
#include "templates/log_font.h"

namespace tillora {

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

std::optional<QByteArray> FontDescription::toBlock() const {
    if (!unicodeToGbk(faceName)) {
        return std::nullopt;
    }
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

}  // namespace tillora
