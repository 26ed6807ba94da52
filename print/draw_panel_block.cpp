#include "print/draw_panel_block.h"

#include "forms/template_byte_reader.h"
#include "forms/template_byte_writer.h"

namespace tillora {

std::optional<DrawPanelBlock> DrawPanelBlock::parse(const QByteArray& block) {
    DrawPanelBlock b;
    if (block.isEmpty()) {
        return b;
    }
    TemplateByteReader r(block);
    const qint32 version = r.readInt32();
    if (version < 1 || version > kVersion) {
        return std::nullopt;
    }
    b.border = r.readInt32();
    b.backColour = static_cast<quint32>(r.readInt32());
    b.pictureMode = r.readInt32();
    b.autoRedraw = r.readInt32();
    b.drawing.unit = r.readInt32();
    b.drawing.penType = r.readInt32();
    b.drawing.drawMode = r.readInt32();
    b.drawing.penWidth = r.readInt32();
    b.drawing.penColour = static_cast<quint32>(r.readInt32());
    b.drawing.brushType = r.readInt32();
    b.drawing.brushColour = static_cast<quint32>(r.readInt32());
    b.drawing.textColour = static_cast<quint32>(r.readInt32());
    b.drawing.textBackColour = static_cast<quint32>(r.readInt32());
    b.drawing.font = r.readBytes();
    b.backPicture = r.readBytes();
    if (!r.ok()) {
        return std::nullopt;
    }
    return b;
}

QByteArray DrawPanelBlock::write() const {
    TemplateByteWriter w;
    w.writeInt32(kVersion);
    w.writeInt32(border);
    w.writeInt32(static_cast<qint32>(backColour));
    w.writeInt32(pictureMode);
    w.writeInt32(autoRedraw);
    w.writeInt32(drawing.unit);
    w.writeInt32(drawing.penType);
    w.writeInt32(drawing.drawMode);
    w.writeInt32(drawing.penWidth);
    w.writeInt32(static_cast<qint32>(drawing.penColour));
    w.writeInt32(drawing.brushType);
    w.writeInt32(static_cast<qint32>(drawing.brushColour));
    w.writeInt32(static_cast<qint32>(drawing.textColour));
    w.writeInt32(static_cast<qint32>(drawing.textBackColour));
    w.writeBytes(drawing.font);
    w.writeBytes(backPicture);
    return w.data();
}

}  // namespace tillora
