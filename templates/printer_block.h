#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

#include "templates/drawing_properties.h"

namespace tillora {

// The printer component's stored property data (template record), version 1.
struct PrinterBlock {
    static constexpr int kVersion = 1;

    DrawingProperties drawing;  // font included
    int leftMargin = 0;
    int topMargin = 0;
    int rightMargin = 0;
    int bottomMargin = 0;
    int copies = 1;
    int collate = 0;
    int minPage = -1;
    int maxPage = -1;
    int fromPage = 1;
    int toPage = -1;
    int printRange = -1;
    QString documentName;

    // An empty block gives the defaults; a newer version, a cut-off block or bytes after the
    // last field give nullopt.
    static std::optional<PrinterBlock> parse(QByteArrayView block);
    QByteArray write() const;

    bool operator==(const PrinterBlock&) const = default;
};

template <class Io>
void fields(Io& io, PrinterBlock& b, qint32) {
    drawingFields(io, b.drawing);
    io.int32("leftMargin", b.leftMargin);
    io.int32("topMargin", b.topMargin);
    io.int32("rightMargin", b.rightMargin);
    io.int32("bottomMargin", b.bottomMargin);
    io.int32("copies", b.copies);
    io.int32("collate", b.collate);
    io.int32("minPage", b.minPage);
    io.int32("maxPage", b.maxPage);
    io.int32("fromPage", b.fromPage);
    io.int32("toPage", b.toPage);
    io.int32("printRange", b.printRange);
    io.text("documentName", b.documentName);
    io.fontRecord("font", b.drawing.font);
}

}  // namespace tillora
