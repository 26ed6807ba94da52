#pragma once

#include <QByteArray>
#include <QtGlobal>

#include "templates/template_byte_reader.h"
#include "templates/template_byte_writer.h"

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
inline void readDrawingInts(TemplateByteReader& r, DrawingProperties& d) {
    d.unit = r.readInt32();
    d.penType = r.readInt32();
    d.drawMode = r.readInt32();
    d.penWidth = r.readInt32();
    d.penColour = r.readUInt32();
    d.brushType = r.readInt32();
    d.brushColour = r.readUInt32();
    d.textColour = r.readUInt32();
    d.textBackColour = r.readUInt32();
}

inline void writeDrawingInts(TemplateByteWriter& w, const DrawingProperties& d) {
    w.writeInt32(d.unit);
    w.writeInt32(d.penType);
    w.writeInt32(d.drawMode);
    w.writeInt32(d.penWidth);
    w.writeUInt32(d.penColour);
    w.writeInt32(d.brushType);
    w.writeUInt32(d.brushColour);
    w.writeUInt32(d.textColour);
    w.writeUInt32(d.textBackColour);
}

}  // namespace tillora
