#include "tools/formc/print_blocks.h"

#include "forms/template_byte_writer.h"
#include "tools/formc/json_fields.h"

namespace tillora::formc {

namespace {

// The drawing properties both components keep, with the printer's defaults.
struct Drawing {
    qint32 unit = 1;
    qint32 penType = 1;
    qint32 drawMode = 12;
    qint32 penWidth = 0;
    ColourRef penColour = kBlack;
    qint32 brushType = 1;
    ColourRef brushColour = kWhite;
    ColourRef textColour = kBlack;
    ColourRef textBackColour = kDefaultColour;
    Font font;

    void read(JsonFields& f) {
        f.integer(QStringLiteral("unit"), unit);
        f.integer(QStringLiteral("penType"), penType);
        f.integer(QStringLiteral("drawMode"), drawMode);
        f.integer(QStringLiteral("penWidth"), penWidth);
        f.colour(QStringLiteral("penColour"), penColour);
        f.integer(QStringLiteral("brushType"), brushType);
        f.colour(QStringLiteral("brushColour"), brushColour);
        f.colour(QStringLiteral("textColour"), textColour);
        f.colour(QStringLiteral("textBackColour"), textBackColour);
        f.font(QStringLiteral("font"), font);
    }
    void write(TemplateByteWriter& w) const {
        w.writeInt32(unit);
        w.writeInt32(penType);
        w.writeInt32(drawMode);
        w.writeInt32(penWidth);
        w.writeUInt32(penColour);
        w.writeInt32(brushType);
        w.writeUInt32(brushColour);
        w.writeUInt32(textColour);
        w.writeUInt32(textBackColour);
    }
    QByteArray fontBytes() const { return font ? writeLogFont(*font) : QByteArray(); }
};

}  // namespace

QByteArray compilePrinterBlock(JsonFields& f) {
    Drawing d;
    d.read(f);
    qint32 margins[4] = {0, 0, 0, 0};
    f.integer(QStringLiteral("leftMargin"), margins[0]);
    f.integer(QStringLiteral("topMargin"), margins[1]);
    f.integer(QStringLiteral("rightMargin"), margins[2]);
    f.integer(QStringLiteral("bottomMargin"), margins[3]);
    qint32 copies = 1, collate = 0, minPage = -1, maxPage = -1, fromPage = 1, toPage = -1,
           printRange = -1;
    f.integer(QStringLiteral("copies"), copies);
    f.integer(QStringLiteral("collate"), collate);
    f.integer(QStringLiteral("minPage"), minPage);
    f.integer(QStringLiteral("maxPage"), maxPage);
    f.integer(QStringLiteral("fromPage"), fromPage);
    f.integer(QStringLiteral("toPage"), toPage);
    f.integer(QStringLiteral("printRange"), printRange);
    QString documentName;
    f.text(QStringLiteral("documentName"), documentName);

    TemplateByteWriter w;
    w.writeInt32(1);
    d.write(w);
    for (qint32 m : margins) {
        w.writeInt32(m);
    }
    for (qint32 v : {copies, collate, minPage, maxPage, fromPage, toPage, printRange}) {
        w.writeInt32(v);
    }
    w.writeText(documentName);
    w.writeBytes(d.fontBytes());
    return w.take();
}

QByteArray compileDrawPanelBlock(JsonFields& f) {
    qint32 border = 0, pictureMode = 1, autoRedraw = 0;
    ColourRef backColour = kDefaultColour;
    QByteArray backPicture;
    f.integer(QStringLiteral("border"), border);
    f.colour(QStringLiteral("backColour"), backColour);
    f.integer(QStringLiteral("pictureMode"), pictureMode);
    f.integer(QStringLiteral("autoRedraw"), autoRedraw);
    f.file(QStringLiteral("backPicture"), backPicture);
    Drawing d;
    d.unit = 0;  // a new panel draws in pixels
    d.read(f);

    TemplateByteWriter w;
    w.writeInt32(1);
    w.writeInt32(border);
    w.writeUInt32(backColour);
    w.writeInt32(pictureMode);
    w.writeInt32(autoRedraw);
    d.write(w);
    w.writeBytes(d.fontBytes());
    w.writeBytes(backPicture);
    return w.take();
}

}  // namespace tillora::formc
