#include "print/printer_block.h"

#include "print/block_reader.h"
#include "print/block_writer.h"

namespace tillora {

std::optional<PrinterBlock> PrinterBlock::parse(const QByteArray& block) {
    PrinterBlock b;
    if (block.isEmpty()) {
        return b;
    }
    BlockReader r(block);
    const qint32 version = r.readInt();
    if (version < 1 || version > kVersion) {
        return std::nullopt;
    }
    b.drawing.unit = r.readInt();
    b.drawing.penType = r.readInt();
    b.drawing.drawMode = r.readInt();
    b.drawing.penWidth = r.readInt();
    b.drawing.penColour = static_cast<quint32>(r.readInt());
    b.drawing.brushType = r.readInt();
    b.drawing.brushColour = static_cast<quint32>(r.readInt());
    b.drawing.textColour = static_cast<quint32>(r.readInt());
    b.drawing.textBackColour = static_cast<quint32>(r.readInt());
    b.leftMargin = r.readInt();
    b.topMargin = r.readInt();
    b.rightMargin = r.readInt();
    b.bottomMargin = r.readInt();
    b.copies = r.readInt();
    b.collate = r.readInt();
    b.minPage = r.readInt();
    b.maxPage = r.readInt();
    b.fromPage = r.readInt();
    b.toPage = r.readInt();
    b.printRange = r.readInt();
    b.documentName = r.readText();
    b.drawing.font = r.readBytes();
    if (!r.ok()) {
        return std::nullopt;
    }
    return b;
}

QByteArray PrinterBlock::write() const {
    BlockWriter w;
    w.writeInt(kVersion);
    w.writeInt(drawing.unit);
    w.writeInt(drawing.penType);
    w.writeInt(drawing.drawMode);
    w.writeInt(drawing.penWidth);
    w.writeInt(static_cast<qint32>(drawing.penColour));
    w.writeInt(drawing.brushType);
    w.writeInt(static_cast<qint32>(drawing.brushColour));
    w.writeInt(static_cast<qint32>(drawing.textColour));
    w.writeInt(static_cast<qint32>(drawing.textBackColour));
    w.writeInt(leftMargin);
    w.writeInt(topMargin);
    w.writeInt(rightMargin);
    w.writeInt(bottomMargin);
    w.writeInt(copies);
    w.writeInt(collate);
    w.writeInt(minPage);
    w.writeInt(maxPage);
    w.writeInt(fromPage);
    w.writeInt(toPage);
    w.writeInt(printRange);
    w.writeText(documentName);
    w.writeBytes(drawing.font);
    return w.data();
}

}  // namespace tillora
