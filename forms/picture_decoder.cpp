#include "forms/picture_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QBuffer>
#include <QImageReader>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/library_loader.h"

namespace tillora {

namespace {

// libjpeg is loaded when the first JPEG is shown (a logo, at the first print or in the logo
// window), not at every start.
#if JPEG_LIB_VERSION == 62
constexpr char kJpegLibraryName[] = "libjpeg.so.62";
#elif JPEG_LIB_VERSION == 80
constexpr char kJpegLibraryName[] = "libjpeg.so.8";
#else
#error "unknown libjpeg release: name its shared library here"
#endif

struct JpegLibrary {
    decltype(&jpeg_std_error) stdError = nullptr;
    decltype(&jpeg_CreateDecompress) createDecompress = nullptr;
    decltype(&jpeg_destroy_decompress) destroyDecompress = nullptr;
    decltype(&jpeg_mem_src) memSrc = nullptr;
    decltype(&jpeg_read_header) readHeader = nullptr;
    decltype(&jpeg_calc_output_dimensions) calcOutputDimensions = nullptr;
    decltype(&jpeg_start_decompress) startDecompress = nullptr;
    decltype(&jpeg_read_scanlines) readScanlines = nullptr;
    decltype(&jpeg_finish_decompress) finishDecompress = nullptr;
};

// nullptr when the library or one of its functions is missing.
const JpegLibrary* jpegLibrary() {
    using L = LibraryLoader;
    return L::functions<JpegLibrary>(
        QString::fromLatin1(kJpegLibraryName), [](L::Module m, JpegLibrary& l) {
            return L::find(m, l.stdError, "jpeg_std_error") &&
                   L::find(m, l.createDecompress, "jpeg_CreateDecompress") &&
                   L::find(m, l.destroyDecompress, "jpeg_destroy_decompress") &&
                   L::find(m, l.memSrc, "jpeg_mem_src") &&
                   L::find(m, l.readHeader, "jpeg_read_header") &&
                   L::find(m, l.calcOutputDimensions, "jpeg_calc_output_dimensions") &&
                   L::find(m, l.startDecompress, "jpeg_start_decompress") &&
                   L::find(m, l.readScanlines, "jpeg_read_scanlines") &&
                   L::find(m, l.finishDecompress, "jpeg_finish_decompress");
        });
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegFail(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(err->jump, 1);
}

void jpegQuiet(j_common_ptr, int) {}

void setProblem(PictureProblem* problem, PictureProblem value) {
    if (problem != nullptr) {
        *problem = value;
    }
}

struct RawPicture {
    unsigned char* pixels = nullptr;  // RGB, 3 bytes a pixel
    unsigned width = 0;
    unsigned height = 0;
};

// Only plain C data lives in this frame, so leaving it by longjmp skips no destructor.
bool decodeJpegRaw(const unsigned char* data, unsigned long size, RawPicture* out,
                   PictureProblem* problem) {
    const JpegLibrary* lib = jpegLibrary();
    if (lib == nullptr) {
        setProblem(problem, PictureProblem::NotAPicture);
        return false;
    }
    jpeg_decompress_struct info;
    JpegError err;
    info.err = lib->stdError(&err.manager);
    err.manager.error_exit = jpegFail;
    err.manager.emit_message = jpegQuiet;
    unsigned char* volatile pixels = nullptr;
    unsigned char* volatile row = nullptr;
    if (setjmp(err.jump)) {
        // libjpeg's own buffers (progressive pictures keep every coefficient) ran into the limit.
        const int code = err.manager.msg_code;
        setProblem(problem, code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE
                                ? PictureProblem::TooLarge
                                : PictureProblem::NotAPicture);
        lib->destroyDecompress(&info);
        std::free(row);
        std::free(pixels);
        return false;
    }
    lib->createDecompress(&info, JPEG_LIB_VERSION, sizeof(info));
    info.mem->max_memory_to_use = PictureDecoder::kMaxPixelBytes;
    lib->memSrc(&info, data, size);
    if (lib->readHeader(&info, TRUE) != JPEG_HEADER_OK) {
        lib->destroyDecompress(&info);
        setProblem(problem, PictureProblem::NotAPicture);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    // The size is known from the header: refuse before any pixel memory is taken.
    lib->calcOutputDimensions(&info);
    if (!PictureDecoder::fitsLimits(info.output_width, info.output_height)) {
        lib->destroyDecompress(&info);
        setProblem(problem, info.output_width == 0 || info.output_height == 0
                                ? PictureProblem::NotAPicture
                                : PictureProblem::TooLarge);
        return false;
    }
    lib->startDecompress(&info);
    const unsigned w = info.output_width;
    const unsigned h = info.output_height;
    const unsigned comps = static_cast<unsigned>(info.output_components);
    if (w == 0 || h == 0 || (comps != 3 && comps != 4)) {
        lib->destroyDecompress(&info);
        setProblem(problem, PictureProblem::NotAPicture);
        return false;
    }
    pixels = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(w) * h * 3));
    row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(w) * comps));
    if (pixels == nullptr || row == nullptr) {
        std::free(row);
        std::free(pixels);
        lib->destroyDecompress(&info);
        setProblem(problem, PictureProblem::TooLarge);
        return false;
    }
    while (info.output_scanline < h) {
        const unsigned y = info.output_scanline;
        JSAMPROW rows[1] = {row};
        if (lib->readScanlines(&info, rows, 1) != 1) {
            break;
        }
        unsigned char* dst = pixels + static_cast<size_t>(y) * w * 3;
        for (unsigned x = 0; x < w; ++x) {
            const unsigned char* s = row + static_cast<size_t>(x) * comps;
            if (comps == 4) {
                // Adobe writes CMYK inverted: the stored values are 255 - ink.
                dst[x * 3 + 0] = static_cast<unsigned char>(s[0] * s[3] / 255);
                dst[x * 3 + 1] = static_cast<unsigned char>(s[1] * s[3] / 255);
                dst[x * 3 + 2] = static_cast<unsigned char>(s[2] * s[3] / 255);
            } else {
                std::memcpy(dst + x * 3, s, 3);
            }
        }
    }
    std::free(row);
    row = nullptr;
    lib->finishDecompress(&info);
    lib->destroyDecompress(&info);
    out->pixels = pixels;
    out->width = w;
    out->height = h;
    return true;
}

}  // namespace

bool PictureDecoder::looksLikePng(const QByteArray& bytes) {
    return bytes.size() >= 8 &&
           png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8) == 0;
}

bool PictureDecoder::looksLikeJpeg(const QByteArray& bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 &&
           static_cast<unsigned char>(bytes[2]) == 0xFF;
}

bool PictureDecoder::fitsLimits(qint64 width, qint64 height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           width * height * 4 <= kMaxPixelBytes;
}

std::optional<QImage> PictureDecoder::decodePng(const QByteArray& bytes, PictureProblem* problem) {
    setProblem(problem, PictureProblem::NotAPicture);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.constData(),
                                          static_cast<size_t>(bytes.size()))) {
        return std::nullopt;
    }
    if (!fitsLimits(image.width, image.height)) {
        if (image.width != 0 && image.height != 0) {
            setProblem(problem, PictureProblem::TooLarge);
        }
        png_image_free(&image);
        return std::nullopt;
    }
    // A picture without transparency (no alpha channel, no transparent palette entry) becomes
    // an opaque image: drawn and scaled without blending, and shown without first being
    // converted for blending.
    const bool opaque = (image.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    // BGRA in memory is QImage's ARGB32 (and RGB32, alpha 255) on little-endian machines; ask
    // for the byte order that matches either way.
    image.format =
        QSysInfo::ByteOrder == QSysInfo::LittleEndian ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    QImage out(static_cast<int>(image.width), static_cast<int>(image.height),
               opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    if (out.isNull()) {
        png_image_free(&image);
        return std::nullopt;
    }
    if (!png_image_finish_read(&image, nullptr, out.bits(), out.bytesPerLine(), nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    setProblem(problem, PictureProblem::None);
    return out;
}

std::optional<QImage> PictureDecoder::decodeJpeg(const QByteArray& bytes, PictureProblem* problem) {
    RawPicture raw;
    setProblem(problem, PictureProblem::NotAPicture);
    if (bytes.isEmpty() ||
        !decodeJpegRaw(reinterpret_cast<const unsigned char*>(bytes.constData()),
                       static_cast<unsigned long>(bytes.size()), &raw, problem)) {
        return std::nullopt;
    }
    QImage out(static_cast<int>(raw.width), static_cast<int>(raw.height), QImage::Format_RGB888);
    if (out.isNull()) {
        std::free(raw.pixels);
        setProblem(problem, PictureProblem::TooLarge);
        return std::nullopt;
    }
    for (unsigned y = 0; y < raw.height; ++y) {
        std::memcpy(out.scanLine(static_cast<int>(y)),
                    raw.pixels + static_cast<size_t>(y) * raw.width * 3,
                    static_cast<size_t>(raw.width) * 3);
    }
    std::free(raw.pixels);
    setProblem(problem, PictureProblem::None);
    return out;
}

std::optional<QImage> PictureDecoder::decode(const QByteArray& bytes, PictureProblem* problem) {
    setProblem(problem, PictureProblem::NotAPicture);
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    if (looksLikePng(bytes)) {
        return decodePng(bytes, problem);
    }
    // Without libjpeg, Qt's own reader below still shows the picture.
    if (looksLikeJpeg(bytes) && jpegLibrary() != nullptr) {
        return decodeJpeg(bytes, problem);
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The header's size first, so that nothing is allocated for a picture we would refuse; the
    // reader's own limit stands behind it for formats that don't say their size up front.
    const QSize size = reader.size();
    if (size.isValid() && !fitsLimits(size.width(), size.height())) {
        setProblem(problem, PictureProblem::TooLarge);
        return std::nullopt;
    }
    reader.setAllocationLimit(static_cast<int>(kMaxPixelBytes / (1024 * 1024)));
    QImage image = reader.read();
    if (image.isNull() || !fitsLimits(image.width(), image.height())) {
        return std::nullopt;
    }
    setProblem(problem, PictureProblem::None);
    return image;
}

}  // namespace tillora
