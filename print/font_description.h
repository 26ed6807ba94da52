#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "templates/log_font.h"

namespace tillora {

// The part of the font record (templates/log_font.h) the drawing surfaces use.
struct FontDescription {
    static constexpr int kRecordSize = LogFont::kSize;
    // The system's default GUI font: 宋体 at 12 pixels (9 points on a 96-dpi screen).
    static constexpr int kDefaultPixelHeight = 12;

    int height = -kDefaultPixelHeight;  // pixels at 96 dpi; negative = character height
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 134;
    QString faceName = QStringLiteral("宋体");

    // The default GUI font for an empty block; nullopt-like failure is folded into the default
    // because a damaged description must not stop drawing.
    static FontDescription fromBlock(const QByteArray& block);
    // Nothing when the face name has no GBK form.
    std::optional<QByteArray> toBlock() const;
};

}  // namespace tillora
