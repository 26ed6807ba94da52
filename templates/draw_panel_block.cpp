#include "templates/draw_panel_block.h"

#include "templates/template_byte_reader.h"
#include "templates/template_byte_writer.h"

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
    readDrawingInts(r, b.drawing);
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
    writeDrawingInts(w, drawing);
    w.writeBytes(drawing.font);
    w.writeBytes(backPicture);
    return w.data();
}

}  // namespace tillora
