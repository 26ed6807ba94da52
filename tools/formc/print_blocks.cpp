#include "tools/formc/print_blocks.h"

#include "templates/draw_panel_block.h"
#include "templates/printer_block.h"
#include "tools/formc/json_fields.h"

namespace tillora::formc {

namespace {

// Reads the drawing properties both components keep into `d` (which holds the type's defaults).
void readDrawing(JsonFields& f, DrawingProperties& d) {
    f.integer(QStringLiteral("unit"), d.unit);
    f.integer(QStringLiteral("penType"), d.penType);
    f.integer(QStringLiteral("drawMode"), d.drawMode);
    f.integer(QStringLiteral("penWidth"), d.penWidth);
    ColourRef colour = d.penColour;
    f.colour(QStringLiteral("penColour"), colour);
    d.penColour = colour;
    f.integer(QStringLiteral("brushType"), d.brushType);
    colour = d.brushColour;
    f.colour(QStringLiteral("brushColour"), colour);
    d.brushColour = colour;
    colour = d.textColour;
    f.colour(QStringLiteral("textColour"), colour);
    d.textColour = colour;
    colour = d.textBackColour;
    f.colour(QStringLiteral("textBackColour"), colour);
    d.textBackColour = colour;
    Font font;
    f.font(QStringLiteral("font"), font);
    d.font = font ? writeLogFont(*font) : QByteArray();
}

}  // namespace

// The blocks are written by the print components' own stored forms, so the compiler and the
// program can never disagree about them.
QByteArray compilePrinterBlock(JsonFields& f) {
    PrinterBlock b;
    readDrawing(f, b.drawing);
    f.integer(QStringLiteral("leftMargin"), b.leftMargin);
    f.integer(QStringLiteral("topMargin"), b.topMargin);
    f.integer(QStringLiteral("rightMargin"), b.rightMargin);
    f.integer(QStringLiteral("bottomMargin"), b.bottomMargin);
    f.integer(QStringLiteral("copies"), b.copies);
    f.integer(QStringLiteral("collate"), b.collate);
    f.integer(QStringLiteral("minPage"), b.minPage);
    f.integer(QStringLiteral("maxPage"), b.maxPage);
    f.integer(QStringLiteral("fromPage"), b.fromPage);
    f.integer(QStringLiteral("toPage"), b.toPage);
    f.integer(QStringLiteral("printRange"), b.printRange);
    f.text(QStringLiteral("documentName"), b.documentName);
    return b.write();
}

QByteArray compileDrawPanelBlock(JsonFields& f) {
    DrawPanelBlock b;
    f.integer(QStringLiteral("border"), b.border);
    ColourRef backColour = b.backColour;
    f.colour(QStringLiteral("backColour"), backColour);
    b.backColour = backColour;
    f.integer(QStringLiteral("pictureMode"), b.pictureMode);
    f.integer(QStringLiteral("autoRedraw"), b.autoRedraw);
    f.file(QStringLiteral("backPicture"), b.backPicture);
    readDrawing(f, b.drawing);
    return b.write();
}

}  // namespace tillora::formc
