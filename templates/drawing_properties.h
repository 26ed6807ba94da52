#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace tillora {

// A colour value that stands for "transparent" (text background) or "the system's default colour".
inline constexpr quint32 kDefaultDrawingColour = 0xFF000000u;

// The drawing state shared by the printer and the draw panel. Colours are 0x00BBGGRR.
struct DrawingProperties {
    int unit = 1;
    int penType = 1;
    int drawMode = 12;
    int penWidth = 0;
    quint32 penColour = 0;
    int brushType = 1;
    quint32 brushColour = 0xFFFFFF;
    quint32 textColour = 0;
    quint32 textBackColour = kDefaultDrawingColour;
    QByteArray font;  // empty or a 60-byte LOGFONTA record

    bool operator==(const DrawingProperties&) const = default;
};

// The nine integers of the drawing properties as both stored forms hold them, Unit to
// TextBackColour (the font follows later in each form).
template <class Io>
void drawingFields(Io& io, DrawingProperties& d) {
    io.int32("unit", d.unit);
    io.int32("penType", d.penType);
    io.int32("drawMode", d.drawMode);
    io.int32("penWidth", d.penWidth);
    io.colour("penColour", d.penColour);
    io.int32("brushType", d.brushType);
    io.colour("brushColour", d.brushColour);
    io.colour("textColour", d.textColour);
    io.colour("textBackColour", d.textBackColour);
}

}  // namespace tillora
