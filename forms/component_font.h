#pragma once

#include "templates/property_blocks.h"

#include <QFont>

namespace tillora {

// Templates name the Windows fonts 宋体 and 新宋体; map them (and their Latin names) to whichever
// CJK font is installed so that Chinese captions render on a fresh machine. Called once at
// start-up.
void installFontSubstitutions();

// A template's font on top of `base`: no value = `base` unchanged. The LOGFONTA height is in
// pixels, negative for the character height, positive for the cell height (which includes the
// leading).
QFont toQFont(const Font& font, const QFont& base);

}  // namespace tillora
