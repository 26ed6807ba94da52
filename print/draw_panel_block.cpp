#include "print/draw_panel_block.h"

#include "print/block_reader.h"
#include "print/block_writer.h"

namespace tillora {

std::optional<DrawPanelBlock> DrawPanelBlock::parse(const QByteArray& block) {
    DrawPanelBlock b;
    if (block.isEmpty()) {
        return b;
    }
    BlockReader r(block);
    const qint32 version = r.readInt();
    if (version < 1 || version > kVersion) {
        return std::nullopt;
    }
    b.border = r.readInt();
    b.backColour = static_cast<quint32>(r.readInt());
    b.pictureMode = r.readInt();
    b.autoRedraw = r.readInt();
    b.drawing.unit = r.readInt();
    b.drawing.penType = r.readInt();
    b.drawing.drawMode = r.readInt();
    b.drawing.penWidth = r.readInt();
    b.drawing.penColour = static_cast<quint32>(r.readInt());
    b.drawing.brushType = r.readInt();
    b.drawing.brushColour = static_cast<quint32>(r.readInt());
    b.drawing.textColour = static_cast<quint32>(r.readInt());
    b.drawing.textBackColour = static_cast<quint32>(r.readInt());
    b.drawing.font = r.readBytes();
    b.backPicture = r.readBytes();
    if (!r.ok()) {
        return std::nullopt;
    }
    return b;
}

QByteArray DrawPanelBlock::write() const {
    BlockWriter w;
    w.writeInt(kVersion);
    w.writeInt(border);
    w.writeInt(static_cast<qint32>(backColour));
    w.writeInt(pictureMode);
    w.writeInt(autoRedraw);
    w.writeInt(drawing.unit);
    w.writeInt(drawing.penType);
    w.writeInt(drawing.drawMode);
    w.writeInt(drawing.penWidth);
    w.writeInt(static_cast<qint32>(drawing.penColour));
    w.writeInt(drawing.brushType);
    w.writeInt(static_cast<qint32>(drawing.brushColour));
    w.writeInt(static_cast<qint32>(drawing.textColour));
    w.writeInt(static_cast<qint32>(drawing.textBackColour));
    w.writeBytes(drawing.font);
    w.writeBytes(backPicture);
    return w.data();
}

}  // namespace tillora
