#include "templates/printer_block.h"

#include "templates/template_byte_reader.h"
#include "templates/template_byte_writer.h"

namespace tillora {

std::optional<PrinterBlock> PrinterBlock::parse(const QByteArray& block) {
    PrinterBlock b;
    if (block.isEmpty()) {
        return b;
    }
    TemplateByteReader r(block);
    const qint32 version = r.readInt32();
    if (version < 1 || version > kVersion) {
        return std::nullopt;
    }
    readDrawingInts(r, b.drawing);
    b.leftMargin = r.readInt32();
    b.topMargin = r.readInt32();
    b.rightMargin = r.readInt32();
    b.bottomMargin = r.readInt32();
    b.copies = r.readInt32();
    b.collate = r.readInt32();
    b.minPage = r.readInt32();
    b.maxPage = r.readInt32();
    b.fromPage = r.readInt32();
    b.toPage = r.readInt32();
    b.printRange = r.readInt32();
    b.documentName = r.readText();
    b.drawing.font = r.readBytes();
    if (!r.ok()) {
        return std::nullopt;
    }
    return b;
}

QByteArray PrinterBlock::write() const {
    TemplateByteWriter w;
    w.writeInt32(kVersion);
    writeDrawingInts(w, drawing);
    w.writeInt32(leftMargin);
    w.writeInt32(topMargin);
    w.writeInt32(rightMargin);
    w.writeInt32(bottomMargin);
    w.writeInt32(copies);
    w.writeInt32(collate);
    w.writeInt32(minPage);
    w.writeInt32(maxPage);
    w.writeInt32(fromPage);
    w.writeInt32(toPage);
    w.writeInt32(printRange);
    w.writeText(documentName);
    w.writeBytes(drawing.font);
    return w.data();
}

}  // namespace tillora
