#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

#include "templates/drawing_properties.h"

namespace tillora {

// The draw panel's stored property data (template record), version 1.
struct DrawPanelBlock {
    static constexpr int kVersion = 1;

    int border = 0;
    quint32 backColour = kDefaultDrawingColour;
    int pictureMode = 1;
    int autoRedraw = 0;
    DrawingProperties drawing = defaultDrawing();  // font included
    QByteArray backPicture;

    static DrawingProperties defaultDrawing() {
        DrawingProperties d;
        d.unit = 0;  // a new panel draws in pixels
        return d;
    }

    // An empty block gives the defaults; a newer version, a cut-off block or bytes after the
    // last field give nullopt.
    static std::optional<DrawPanelBlock> parse(QByteArrayView block);
    QByteArray write() const;

    bool operator==(const DrawPanelBlock&) const = default;
};

template <class Io>
void fields(Io& io, DrawPanelBlock& b, qint32) {
    io.int32("border", b.border);
    io.colour("backColour", b.backColour);
    io.int32("pictureMode", b.pictureMode);
    io.int32("autoRedraw", b.autoRedraw);
    drawingFields(io, b.drawing);
    io.fontRecord("font", b.drawing.font);
    io.bytes("backPicture", b.backPicture);
}

}  // namespace tillora
