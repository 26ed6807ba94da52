#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

namespace tillora {

// Why a picture could not be decoded.
enum class PictureProblem {
    None,
    NotAPicture,  // no format we read, or damaged
    TooLarge,     // a picture, but its pixels would take more memory than we allow
};

// Decodes the picture byte blocks of the program (a whole image file): PNG with libpng, JPEG
// with libjpeg, BMP and any other format Qt reads. Returns nullopt for anything unreadable and,
// when asked, says why.
class PictureDecoder {
  public:
    // Pictures larger than this on either side are refused rather than allocated.
    static constexpr int kMaxSide = 16384;
    // The decoded pixels (4 bytes each) may take at most this much memory: a picture file of a
    // few megabytes can unpack to gigabytes, and a logo or banner never needs more than this.
    static constexpr qint64 kMaxPixelBytes = qint64{64} * 1024 * 1024;

    static std::optional<QImage> decode(const QByteArray& bytes, PictureProblem* problem = nullptr);
    static std::optional<QImage> decodePng(const QByteArray& bytes,
                                           PictureProblem* problem = nullptr);
    static std::optional<QImage> decodeJpeg(const QByteArray& bytes,
                                            PictureProblem* problem = nullptr);
    // Whether a picture of this size stays within the limits above.
    static bool fitsLimits(qint64 width, qint64 height);

    static bool looksLikePng(const QByteArray& bytes);
    static bool looksLikeJpeg(const QByteArray& bytes);
};

}  // namespace tillora
