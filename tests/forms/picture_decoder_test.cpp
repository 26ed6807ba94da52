// Picture decoding of the formats the program carries.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

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

}  // namespace
}  // namespace tillora
