#pragma once

#include <QByteArray>
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

    // An empty block gives the defaults; a newer version or a cut-off block gives nullopt.
    static std::optional<DrawPanelBlock> parse(const QByteArray& block);
    QByteArray write() const;

    bool operator==(const DrawPanelBlock&) const = default;
};

}  // namespace tillora
