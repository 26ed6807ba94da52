#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

namespace tillora {

// Decodes the picture byte blocks of the program (a whole image file): PNG with libpng, JPEG
// with libjpeg, BMP and any other format Qt reads. Returns nullopt for anything unreadable.
class PictureDecoder {
  public:
    // Pictures larger than this on either side are refused rather than allocated.
    static constexpr int kMaxSide = 16384;

    static std::optional<QImage> decode(const QByteArray& bytes);
    static std::optional<QImage> decodePng(const QByteArray& bytes);
    static std::optional<QImage> decodeJpeg(const QByteArray& bytes);

    static bool looksLikePng(const QByteArray& bytes);
    static bool looksLikeJpeg(const QByteArray& bytes);
};

}  // namespace tillora
