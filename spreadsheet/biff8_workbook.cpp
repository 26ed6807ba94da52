#include "spreadsheet/biff8_workbook.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace tillora {

namespace {

constexpr quint16 kBof = 0x0809;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kCodepage = 0x0042;
constexpr quint16 kWindow1 = 0x003D;
constexpr quint16 kFont = 0x0031;
constexpr quint16 kXf = 0x00E0;
constexpr quint16 kStyle = 0x0293;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kExtSst = 0x00FF;
constexpr quint16 kColInfo = 0x007D;
constexpr quint16 kDimensions = 0x0200;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kWindow2 = 0x023E;

constexpr qsizetype kMaxRecordData = 8224;
constexpr quint32 kNoString = 0xFFFFFFFF;
constexpr quint16 kTextCellXf = 16;  // the first cell XF after the 15 style XFs and the default
constexpr int kProgressEvery = 2048;

class Stream {
  public:
    QByteArray bytes;

    qsizetype size() const { return bytes.size(); }
    void u8(quint8 v) { bytes.append(char(v)); }
    void u16(quint16 v) {
        const char b[2] = {char(v & 0xFF), char(v >> 8)};
        bytes.append(b, 2);
    }
    void u32(quint32 v) {
        const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                           char(v >> 24)};
        bytes.append(b, 4);
    }
    void patch32(qsizetype at, quint32 v) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = char((v >> (8 * i)) & 0xFF);
        }
    }
    // Starts a record; returns where its header is, for endRecord to fill in the length.
    qsizetype begin(quint16 type) {
        const qsizetype at = size();
        u16(type);
        u16(0);
        return at;
    }
    void end(qsizetype header) {
        const qsizetype length = size() - header - 4;
        bytes[header + 2] = char(length & 0xFF);
        bytes[header + 3] = char((length >> 8) & 0xFF);
    }
    // Data bytes still free in the record that starts at `header`.
    qsizetype room(qsizetype header) const { return kMaxRecordData - (size() - header - 4); }

    // Characters of `text` from `from`, `count` of them, one byte each or UTF-16LE.
    void chars(const QString& text, qsizetype from, qsizetype count, bool wide) {
        const QChar* c = text.constData() + from;
        const qsizetype at = size();
        bytes.resize(at + count * (wide ? 2 : 1));
        char* out = bytes.data() + at;
        for (qsizetype i = 0; i < count; ++i) {
            const char16_t u = c[i].unicode();
            if (wide) {
                *out++ = char(u & 0xFF);
                *out++ = char(u >> 8);
            } else {
                *out++ = char(u);
            }
        }
    }
};

bool needsWide(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
}

// Approximate width in character cells of the widest line: CJK characters take two.
int displayWidth(const QString& text) {
    int widest = 0;
    int line = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('\n')) {
            widest = std::max(widest, line);
            line = 0;
        } else if (!c.isLowSurrogate()) {
            line += c.unicode() >= 0x2E80 || c.isHighSurrogate() ? 2 : 1;
        }
    }
    return std::max(widest, line);
}

// The strings of the table, each once, and for every cell its string's number.
struct StringTable {
    std::vector<QString> strings;
    std::vector<int> widths;
    QHash<QString, quint32> index;
    quint32 references = 0;

    quint32 add(const QString& raw) {
        if (raw.isEmpty()) {
            return kNoString;
        }
        const QString text = cellTextWithinLimit(raw);
        auto it = index.constFind(text);
        if (it != index.constEnd()) {
            return it.value();
        }
        const quint32 n = quint32(strings.size());
        index.insert(text, n);
        strings.push_back(text);
        widths.push_back(displayWidth(text));
        return n;
    }
};

void writeBof(Stream& s, quint16 type) {
    const qsizetype r = s.begin(kBof);
    s.u16(0x0600);  // BIFF8
    s.u16(type);
    s.u16(0x0DBB);  // build
    s.u16(0x07CC);  // build year
    s.u32(0);
    s.u32(6);  // lowest version that can read the file: BIFF8
    s.end(r);
}

void writeEof(Stream& s) {
    s.end(s.begin(kEof));
}

void writeFont(Stream& s) {
    const QString name = QStringLiteral("宋体");
    const qsizetype r = s.begin(kFont);
    s.u16(240);     // 12 pt in twips
    s.u16(0);       // plain
    s.u16(0x7FFF);  // automatic colour
    s.u16(400);     // normal weight
    s.u16(0);       // no super/subscript
    s.u8(0);        // no underline
    s.u8(0);        // family
    s.u8(0x86);     // GB2312 character set
    s.u8(0);
    s.u8(quint8(name.size()));
    s.u8(1);
    s.chars(name, 0, name.size(), true);
    s.end(r);
}

void writeXf(Stream& s, quint16 format, bool style, quint8 usedAttributes) {
    const qsizetype r = s.begin(kXf);
    s.u16(0);  // font 0
    s.u16(format);
    s.u16(style ? 0xFFF5 : 0x0001);  // locked; a style XF has no parent, a cell XF has style 0
    s.u8(0x20);                      // bottom-aligned, general horizontal alignment
    s.u8(0);
    s.u8(0);
    s.u8(usedAttributes);
    s.u32(0);
    s.u32(0);
    s.u16(0x20C0);  // pattern colours: system foreground and background
    s.end(r);
}

void writeGlobalsHead(Stream& s) {
    writeBof(s, 0x0005);
    qsizetype r = s.begin(kCodepage);
    s.u16(1200);  // UTF-16
    s.end(r);
    r = s.begin(kWindow1);
    s.u16(0);
    s.u16(0);
    s.u16(0x4000);
    s.u16(0x2000);
    s.u16(0x0038);  // horizontal and vertical scroll bars, sheet tabs
    s.u16(0);       // first sheet active
    s.u16(0);
    s.u16(1);
    s.u16(0x0258);
    s.end(r);
    // Font 4 does not exist in the format; five records give fonts 0-3 and 5.
    for (int i = 0; i < 5; ++i) {
        writeFont(s);
    }
    for (int i = 0; i < 15; ++i) {
        writeXf(s, 0, true, i == 0 ? 0x00 : 0xF4);
    }
    writeXf(s, 0, false, 0x00);
    writeXf(s, 49, false, 0x04);  // built-in number format 49 is "@", text
    r = s.begin(kStyle);
    s.u16(0x8000);  // built-in style on XF 0
    s.u8(0);        // "Normal"
    s.u8(0xFF);
    s.end(r);
}

void writeSst(Stream& s, const StringTable& table) {
    const quint32 unique = quint32(table.strings.size());
    const quint32 perBucket = std::max<quint32>(8, (unique + 127) / 128);
    struct Bucket {
        quint32 position;
        quint16 offset;
    };
    std::vector<Bucket> buckets;

    qsizetype r = s.begin(kSst);
    s.u32(table.references);
    s.u32(unique);
    for (quint32 i = 0; i < unique; ++i) {
        const QString& text = table.strings[i];
        const bool wide = needsWide(text);
        const qsizetype unit = wide ? 2 : 1;
        // A string's header (length and flags) is never split; move on to a CONTINUE instead.
        if (s.room(r) < 3 + unit) {
            s.end(r);
            r = s.begin(kContinue);
        }
        if (i % perBucket == 0) {
            buckets.push_back({quint32(s.size()), quint16(s.size() - r)});
        }
        s.u16(quint16(text.size()));
        s.u8(wide ? 1 : 0);
        qsizetype done = 0;
        for (;;) {
            qsizetype n = std::min(text.size() - done, s.room(r) / unit);
            // Readers decode each piece on its own: keep surrogate pairs together.
            if (n > 0 && done + n < text.size() && text.at(done + n - 1).isHighSurrogate()) {
                --n;
            }
            s.chars(text, done, n, wide);
            done += n;
            if (done == text.size()) {
                break;
            }
            s.end(r);
            r = s.begin(kContinue);
            s.u8(wide ? 1 : 0);  // a continued string repeats its flags
        }
    }
    s.end(r);

    r = s.begin(kExtSst);
    s.u16(quint16(perBucket));
    for (const Bucket& b : buckets) {
        s.u32(b.position);
        s.u16(b.offset);
        s.u16(0);
    }
    s.end(r);
}

}  // namespace

std::optional<QByteArray> Biff8Workbook::build(const SpreadsheetTable& table,
                                               const SpreadsheetProgress& progress) {
    const int columns = int(table.titles.size());
    if (columns > kColumnLimit) {
        return std::nullopt;
    }
    const std::int64_t rows = table.rows.size();
    const std::int64_t total = rows * 2;
    const int sheets = sheetCountFor(rows, kRowLimit);
    const std::int64_t perSheet = dataRowsPerSheet(kRowLimit);

    // Pass one: every text once in the shared string table.
    StringTable strings;
    std::vector<quint32> titleCells;
    for (const QString& title : table.titles) {
        titleCells.push_back(strings.add(title));
    }
    std::vector<quint32> cells(size_t(rows) * size_t(columns), kNoString);
    std::vector<int> widths(size_t(columns), 0);
    quint32 filled = 0;
    for (int c = 0; c < columns; ++c) {
        if (titleCells[c] != kNoString) {
            widths[c] = strings.widths[titleCells[c]];
            filled += quint32(sheets);
        }
    }
    for (std::int64_t row = 0; row < rows; ++row) {
        if (progress && row % kProgressEvery == 0 && !progress(row, total)) {
            return std::nullopt;
        }
        const QStringList& texts = table.rows.at(row);
        const int n = std::min(columns, int(texts.size()));
        quint32* out = cells.data() + row * columns;
        for (int c = 0; c < n; ++c) {
            const quint32 k = strings.add(texts.at(c));
            out[c] = k;
            if (k != kNoString) {
                ++filled;
                widths[c] = std::max(widths[c], strings.widths[k]);
            }
        }
    }
    strings.references = filled;

    Stream s;
    s.bytes.reserve(qsizetype(4096 + rows * columns * 14 + strings.strings.size() * 16));
    writeGlobalsHead(s);
    std::vector<qsizetype> sheetPositions;
    for (int i = 0; i < sheets; ++i) {
        const QString name = QStringLiteral("Sheet%1").arg(i + 1);
        const qsizetype r = s.begin(kBoundSheet);
        sheetPositions.push_back(s.size());
        s.u32(0);  // filled in when the sheet is written
        s.u8(0);   // visible
        s.u8(0);   // worksheet
        s.u8(quint8(name.size()));
        s.u8(0);
        s.chars(name, 0, name.size(), false);
        s.end(r);
    }
    writeSst(s, strings);
    writeEof(s);

    // Pass two: the sheets, each with the titles first.
    for (int sheet = 0; sheet < sheets; ++sheet) {
        const std::int64_t first = sheet * perSheet;
        const std::int64_t last = std::min(rows, first + perSheet);
        s.patch32(sheetPositions[size_t(sheet)], quint32(s.size()));
        writeBof(s, 0x0010);
        for (int c = 0; c < columns; ++c) {
            const qsizetype r = s.begin(kColInfo);
            s.u16(quint16(c));
            s.u16(quint16(c));
            s.u16(quint16(std::clamp(widths[c] + 2, 6, 60) * 256));
            s.u16(kTextCellXf);
            s.u16(0);
            s.u16(0);
            s.end(r);
        }
        qsizetype r = s.begin(kDimensions);
        s.u32(0);
        s.u32(quint32(last - first + 1));
        s.u16(0);
        s.u16(quint16(columns));
        s.u16(0);
        s.end(r);

        auto writeRow = [&s, columns](quint16 rowNumber, const quint32* row) {
            char record[14] = {char(kLabelSst & 0xFF), char(kLabelSst >> 8), 10, 0,
                               char(rowNumber & 0xFF), char(rowNumber >> 8)};
            for (int c = 0; c < columns; ++c) {
                if (row[c] == kNoString) {
                    continue;
                }
                record[6] = char(c);
                record[7] = 0;
                record[8] = char(kTextCellXf);
                record[9] = 0;
                for (int i = 0; i < 4; ++i) {
                    record[10 + i] = char((row[c] >> (8 * i)) & 0xFF);
                }
                s.bytes.append(record, 14);
            }
        };
        writeRow(0, titleCells.data());
        for (std::int64_t row = first; row < last; ++row) {
            if (progress && row % kProgressEvery == 0 && !progress(rows + row, total)) {
                return std::nullopt;
            }
            writeRow(quint16(row - first + 1), cells.data() + row * columns);
        }

        r = s.begin(kWindow2);
        s.u16(sheet == 0 ? 0x06B6 : 0x00B6);  // gridlines, headers, zeros; the first is selected
        s.u16(0);
        s.u16(0);
        s.u16(64);
        s.u16(0);
        s.u16(0);
        s.u16(0);
        s.u32(0);
        s.end(r);
        writeEof(s);
    }
    if (progress && !progress(total, total)) {
        return std::nullopt;
    }
    return s.bytes;
}

}  // namespace tillora
