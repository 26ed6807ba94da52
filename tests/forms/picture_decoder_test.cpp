// Picture decoding of the formats the program carries.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <QtEndian>

#include <zlib.h>

#include "forms/picture_decoder.h"

namespace tillora {
namespace {

QByteArray encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

QImage sample() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 20; ++x) {
            image.setPixelColor(x, y, QColor(200, 30, 40));
        }
    }
    return image;
}

TEST(PictureDecoderTest, DecodesPngJpegAndBmp) {
    for (const char* format : {"PNG", "JPEG", "BMP"}) {
        const QByteArray bytes = encode(sample(), format);
        ASSERT_FALSE(bytes.isEmpty()) << format;
        const auto image = PictureDecoder::decode(bytes);
        ASSERT_TRUE(image) << format;
        EXPECT_EQ(image->size(), QSize(40, 30)) << format;
        const QColor red = image->pixelColor(5, 5);
        const QColor white = image->pixelColor(35, 25);
        // JPEG is lossy: allow a little.
        EXPECT_NEAR(red.red(), 200, 6) << format;
        EXPECT_NEAR(red.green(), 30, 6) << format;
        EXPECT_NEAR(white.blue(), 255, 6) << format;
    }
}

TEST(PictureDecoderTest, PngKeepsTransparency) {
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixelColor(1, 1, QColor(0, 0, 255, 255));
    const auto back = PictureDecoder::decodePng(encode(image, "PNG"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(back->pixelColor(1, 1), QColor(0, 0, 255));

    // A palette with a transparent entry is transparency too.
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(0, 0, 0, 0), qRgb(255, 0, 0)});
    indexed.fill(0);
    indexed.setPixel(2, 2, 1);
    const auto fromPalette = PictureDecoder::decodePng(encode(indexed, "PNG"));
    ASSERT_TRUE(fromPalette);
    EXPECT_EQ(fromPalette->pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(fromPalette->pixelColor(2, 2), QColor(255, 0, 0));

    // Without any, the picture is opaque and keeps its colours.
    const auto opaque = PictureDecoder::decodePng(encode(sample(), "PNG"));
    ASSERT_TRUE(opaque);
    EXPECT_FALSE(opaque->hasAlphaChannel());
    EXPECT_EQ(opaque->pixelColor(5, 5), QColor(200, 30, 40));
    EXPECT_EQ(opaque->pixelColor(35, 25), QColor(255, 255, 255));
}

TEST(PictureDecoderTest, RefusesDamagedAndForeignData) {
    const QByteArray png = encode(sample(), "PNG");
    const QByteArray jpeg = encode(sample(), "JPEG");
    EXPECT_FALSE(PictureDecoder::decode({}));
    EXPECT_FALSE(PictureDecoder::decode(QByteArray("hello, not a picture")));
    EXPECT_FALSE(PictureDecoder::decode(png.left(60)));
    EXPECT_FALSE(PictureDecoder::decodeJpeg(jpeg.left(20)));
    EXPECT_FALSE(PictureDecoder::decodePng(jpeg));
}

// A small picture whose header claims another size: what a decompression bomb looks like to
// the decoder before it allocates.
QByteArray withClaimedSize(const char* format, quint32 width, quint32 height) {
    QByteArray bytes = encode(sample(), format);
    if (qstrcmp(format, "PNG") == 0) {
        // IHDR's width and height follow the signature, the chunk length and the type; its CRC
        // covers type and data.
        qToBigEndian(width, bytes.data() + 16);
        qToBigEndian(height, bytes.data() + 20);
        const auto* chunk = reinterpret_cast<const Bytef*>(bytes.constData() + 12);
        qToBigEndian(static_cast<quint32>(crc32(0, chunk, 17)), bytes.data() + 29);
    } else if (qstrcmp(format, "JPEG") == 0) {
        // The baseline frame header: marker, length, precision, then height and width.
        const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
        qToBigEndian(static_cast<quint16>(height), bytes.data() + sof + 5);
        qToBigEndian(static_cast<quint16>(width), bytes.data() + sof + 7);
    } else {
        // BMP's info header: width and height after the file header and the header size.
        qToLittleEndian(width, bytes.data() + 18);
        qToLittleEndian(height, bytes.data() + 22);
    }
    return bytes;
}

// Pictures whose pixels would outgrow the limit are refused from their header, and said to be
// too large rather than no picture; pictures inside it still decode.
TEST(PictureDecoderTest, RefusesPicturesAboveTheAllocationLimit) {
    for (const char* format : {"PNG", "JPEG", "BMP"}) {
        PictureProblem problem = PictureProblem::None;
        EXPECT_FALSE(PictureDecoder::decode(withClaimedSize(format, 16000, 16000), &problem))
            << format;
        EXPECT_EQ(problem, PictureProblem::TooLarge) << format;
        // Just above the limit on pixels, though each side is allowed.
        EXPECT_FALSE(PictureDecoder::decode(withClaimedSize(format, 8192, 2049), &problem))
            << format;
        EXPECT_EQ(problem, PictureProblem::TooLarge) << format;

        EXPECT_TRUE(PictureDecoder::decode(encode(sample(), format), &problem)) << format;
        EXPECT_EQ(problem, PictureProblem::None) << format;
    }
    EXPECT_TRUE(PictureDecoder::fitsLimits(4096, 4096));
    EXPECT_FALSE(PictureDecoder::fitsLimits(4096, 4097));

    PictureProblem problem = PictureProblem::None;
    EXPECT_FALSE(PictureDecoder::decode(QByteArray("hello, not a picture"), &problem));
    EXPECT_EQ(problem, PictureProblem::NotAPicture);
    EXPECT_FALSE(PictureDecoder::decode(encode(sample(), "PNG").left(60), &problem));
    EXPECT_EQ(problem, PictureProblem::NotAPicture);
}

}  // namespace
}  // namespace tillora
