#pragma once

#include <QByteArray>
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

    // An empty block gives the defaults; a newer version or a cut-off block gives nullopt.
    static std::optional<PrinterBlock> parse(const QByteArray& block);
    QByteArray write() const;

    bool operator==(const PrinterBlock&) const = default;
};

}  // namespace tillora
