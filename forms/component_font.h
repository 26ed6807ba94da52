#pragma once

#include <QFont>
#include <QStringList>

#include "templates/property_blocks.h"

namespace tillora {

// Templates name the Windows fonts 宋体, 新宋体, 黑体...; a machine without them draws with an
// installed CJK font instead. The face itself comes first (so a machine that has it uses it),
// then the stand-ins in order of preference. Other faces are kept alone.
QStringList fontFamilies(const QString& face);

// Registers the same stand-ins with Qt for fonts made by name elsewhere. Called once at start-up.
void installFontSubstitutions();

// The system's default GUI font, which every component without a font of its own uses: 宋体 at
// 12 pixels (9 points on a 96-dpi screen).
inline constexpr int kDefaultGuiFontPixels = 12;
QFont defaultGuiFont();

// The character height in pixels of a stored LOGFONT height: a negative height is the character
// height itself; a positive one is the cell height, which includes the internal leading (about an
// eighth of it for CJK fonts); 0 means no height (the caller's default).
int characterPixelHeight(qint32 height);

// A template's font on top of `base`; no value = `base` unchanged. The pixel size is the
// character height, or `pixelSize` when it is above 0 (a printer scales the height to its device).
// Screens and paper both make their fonts here.
QFont toQFont(const Font& font, const QFont& base, int pixelSize = 0);

}  // namespace tillora
