#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace tillora {

// A Windows LOGFONTA record (60 bytes).
struct LogFont {
    static constexpr int kSize = 60;
    static constexpr int kFaceNameBytes = 32;

    qint32 height = 0;  // pixels; negative = character height, positive = cell height
    qint32 width = 0;
    qint32 escapement = 0;
    qint32 orientation = 0;
    qint32 weight = 400;  // 400 normal, 700 bold
    quint8 italic = 0;
    quint8 underline = 0;
    quint8 strikeOut = 0;
    quint8 charSet = 134;  // GB2312
    quint8 outPrecision = 0;
    quint8 clipPrecision = 0;
    quint8 quality = 0;
    quint8 pitchAndFamily = 0;
    QString faceName;  // stored in GBK, at most 31 bytes plus the terminator

    bool operator==(const LogFont&) const = default;
};
// No value = the default font (stored as an empty byte block).
using Font = std::optional<LogFont>;

// 60 bytes to a LogFont (false when the size is wrong or the face name isn't GBK).
bool parseLogFont(QByteArrayView bytes, LogFont& out);
// 60 bytes; a face name longer than 31 GBK bytes is cut at a character boundary.
QByteArray writeLogFont(const LogFont& font);
// A font for the common case: face, pixel height (stored negative, as a character height), weight.
LogFont makeFont(const QString& face, int pixelHeight, int weight = 400);

}  // namespace tillora
