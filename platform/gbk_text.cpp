#include "platform/gbk_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

namespace tillora {

namespace {

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool isAscii(QStringView text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            return false;
        }
    }
    return true;
}

#ifdef _WIN32

constexpr UINT kGbkCodePage = 936;

std::optional<QString> decode(QByteArrayView gbk, bool lossy) {
    const DWORD flags = lossy ? 0 : MB_ERR_INVALID_CHARS;
    const int n = MultiByteToWideChar(kGbkCodePage, flags, gbk.data(), int(gbk.size()), nullptr, 0);
    if (n <= 0) {
        return std::nullopt;
    }
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(kGbkCodePage, flags, gbk.data(), int(gbk.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::optional<QByteArray> encode(QStringView text, bool lossy) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, int(text.size()),
                                      nullptr, 0, "?", &usedDefault);
    if (n <= 0 || (usedDefault && !lossy)) {
        return std::nullopt;
    }
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), n,
                        "?", nullptr);
    return out;
}

#else

// One converter per direction, opened on first use. The program has one thread; the thread_local
// keeps a test runner with threads safe all the same.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`. `onError` is called with the number of bytes left when the input holds
    // an invalid or incomplete sequence; it returns how many bytes to skip (0 = give up).
    template <typename OnError>
    bool run(const char* in, size_t inLeft, QByteArray& out, OnError onError) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        auto* src = const_cast<char*>(in);
        QByteArray buffer(static_cast<qsizetype>(inLeft * 2 + 16), Qt::Uninitialized);
        qsizetype used = 0;
        while (inLeft > 0) {
            char* dst = buffer.data() + used;
            size_t dstLeft = static_cast<size_t>(buffer.size() - used);
            const size_t r = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
            used = buffer.size() - static_cast<qsizetype>(dstLeft);
            if (r != static_cast<size_t>(-1)) {
                continue;
            }
            if (errno == E2BIG) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            buffer.truncate(used);
            const size_t skip = onError(inLeft, buffer);
            if (skip == 0 || skip > inLeft) {
                return false;
            }
            src += skip;
            inLeft -= skip;
            used = buffer.size();
            buffer.resize(used + static_cast<qsizetype>(inLeft * 2 + 16));
        }
        buffer.truncate(used);
        out = buffer;
        return true;
    }

  private:
    iconv_t cd_;
};

Converter& decoder() {
    thread_local Converter c("UTF-16LE", "GBK");
    return c;
}

Converter& encoder() {
    thread_local Converter c("GBK", "UTF-16LE");
    return c;
}

std::optional<QString> decode(QByteArrayView gbk, bool lossy) {
    Converter& c = decoder();
    if (!c.valid()) {
        return std::nullopt;
    }
    QByteArray utf16;
    const bool ok = c.run(gbk.data(), static_cast<size_t>(gbk.size()), utf16,
                          [lossy](size_t, QByteArray& out) -> size_t {
                              if (!lossy) {
                                  return 0;
                              }
                              out.append("\xFD\xFF", 2);  // U+FFFD, little-endian
                              return 1;
                          });
    if (!ok) {
        return std::nullopt;
    }
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

std::optional<QByteArray> encode(QStringView text, bool lossy) {
    Converter& c = encoder();
    if (!c.valid()) {
        return std::nullopt;
    }
    const char* begin = reinterpret_cast<const char*>(text.utf16());
    const size_t total = static_cast<size_t>(text.size()) * 2;
    QByteArray gbk;
    const bool ok = c.run(begin, total, gbk, [&](size_t left, QByteArray& out) -> size_t {
        if (!lossy || left < 2) {
            return 0;
        }
        out.append('?');
        // Skip a whole surrogate pair when one stands here.
        const qsizetype at = static_cast<qsizetype>((total - left) / 2);
        if (left >= 4 && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate()) {
            return 4;
        }
        return 2;
    });
    if (!ok) {
        return std::nullopt;
    }
    return gbk;
}

#endif

}  // namespace

std::optional<QString> gbkToUnicode(QByteArrayView gbk) {
    if (isAscii(gbk)) {
        return QString::fromLatin1(gbk);
    }
    return decode(gbk, false);
}

std::optional<QByteArray> unicodeToGbk(QStringView text) {
    if (isAscii(text)) {
        return text.toLatin1();
    }
    return encode(text, false);
}

QString gbkToUnicodeLossy(QByteArrayView gbk) {
    if (isAscii(gbk)) {
        return QString::fromLatin1(gbk);
    }
    return decode(gbk, true).value_or(QString());
}

QByteArray unicodeToGbkLossy(QStringView text) {
    if (isAscii(text)) {
        return text.toLatin1();
    }
    return encode(text, true).value_or(QByteArray());
}

}  // namespace tillora
