#include "spreadsheet/sheet_reader.h"

#include "platform/gbk_text.h"
#include "platform/library_loader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <freexl.h>
#include <zip.h>

#include <cmath>

namespace tillora {

namespace {

SheetContent failed(const QString& problem) {
    SheetContent content;
    content.problem = problem;
    return content;
}

struct FreeXl {
    decltype(&::freexl_open) open = nullptr;
    decltype(&::freexl_get_info) info = nullptr;
    decltype(&::freexl_select_active_worksheet) select = nullptr;
    decltype(&::freexl_worksheet_dimensions) dimensions = nullptr;
    decltype(&::freexl_get_cell_value) cell = nullptr;
    decltype(&::freexl_close) close = nullptr;
};

const FreeXl* freeXl() {
    return LibraryLoader::functions<FreeXl>(
        QStringLiteral("libfreexl.so.1"), [](LibraryLoader::Module m, FreeXl& f) {
            return LibraryLoader::find(m, f.open, "freexl_open") &&
                   LibraryLoader::find(m, f.info, "freexl_get_info") &&
                   LibraryLoader::find(m, f.select, "freexl_select_active_worksheet") &&
                   LibraryLoader::find(m, f.dimensions, "freexl_worksheet_dimensions") &&
                   LibraryLoader::find(m, f.cell, "freexl_get_cell_value") &&
                   LibraryLoader::find(m, f.close, "freexl_close");
        });
}

struct LibZip {
    decltype(&::zip_open) open = nullptr;
    decltype(&::zip_name_locate) locate = nullptr;
    decltype(&::zip_stat_index) stat = nullptr;
    decltype(&::zip_fopen_index) fopen = nullptr;
    decltype(&::zip_fread) fread = nullptr;
    decltype(&::zip_fclose) fclose = nullptr;
    decltype(&::zip_discard) discard = nullptr;
};

const LibZip* libZip() {
    return LibraryLoader::functions<LibZip>(
        QStringLiteral("libzip.so.4"), [](LibraryLoader::Module m, LibZip& z) {
            return LibraryLoader::find(m, z.open, "zip_open") &&
                   LibraryLoader::find(m, z.locate, "zip_name_locate") &&
                   LibraryLoader::find(m, z.stat, "zip_stat_index") &&
                   LibraryLoader::find(m, z.fopen, "zip_fopen_index") &&
                   LibraryLoader::find(m, z.fread, "zip_fread") &&
                   LibraryLoader::find(m, z.fclose, "zip_fclose") &&
                   LibraryLoader::find(m, z.discard, "zip_discard");
        });
}

QString missingLibrary(const char* file) {
    return QStringLiteral("无法读取该文件：找不到程序库 %1，请安装后重试。")
        .arg(QString::fromLatin1(file));
}

QString notReadable(const QString& detail) {
    return QStringLiteral("无法读取该文件（%1），请确认它是完好的表格文件。").arg(detail);
}

// One member of an open archive, whole; empty with *found false when it is missing.
QByteArray member(const LibZip& z, zip_t* archive, const char* name, bool* found) {
    *found = false;
    const zip_int64_t index = z.locate(archive, name, 0);
    zip_stat_t stat;
    if (index < 0 || z.stat(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        return {};
    }
    // A sheet of a shop's products is a few megabytes; a bigger member is not one.
    constexpr zip_uint64_t kLargest = 512ull * 1024 * 1024;
    if ((stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > kLargest) {
        return {};
    }
    zip_file_t* file = z.fopen(archive, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) {
        return {};
    }
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t read = z.fread(file, bytes.data(), stat.size);
    z.fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) {
        return {};
    }
    *found = true;
    return bytes;
}

// The text of every <t> inside one <si>, without the phonetic runs.
QStringList sharedStrings(const QByteArray& xml) {
    QStringList strings;
    QXmlStreamReader r(xml);
    QString current;
    int phonetic = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == u"si") {
                current.clear();
            } else if (r.name() == u"rPh") {
                ++phonetic;
            } else if (r.name() == u"t" && phonetic == 0) {
                current += r.readElementText();
            }
        } else if (r.isEndElement()) {
            if (r.name() == u"si") {
                strings << current;
            } else if (r.name() == u"rPh") {
                --phonetic;
            }
        }
    }
    return strings;
}

// "B7" -> 1; -1 when the reference has no column letters.
int columnOf(QStringView reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
        if (column > 16384) {
            return -1;
        }
    }
    return i == 0 ? -1 : column - 1;
}

// The target of the workbook's first sheet, as a member name ("xl/worksheets/sheet1.xml").
QString firstSheetMember(const QByteArray& workbook, const QByteArray& relations) {
    QString id;
    QXmlStreamReader w(workbook);
    while (!w.atEnd() && id.isEmpty()) {
        if (w.readNext() == QXmlStreamReader::StartElement && w.name() == u"sheet") {
            for (const QXmlStreamAttribute& a : w.attributes()) {
                if (a.name() == u"id") {
                    id = a.value().toString();
                }
            }
        }
    }
    QXmlStreamReader r(relations);
    while (!r.atEnd()) {
        if (r.readNext() == QXmlStreamReader::StartElement && r.name() == u"Relationship" &&
            r.attributes().value(QStringLiteral("Id")) == id) {
            const QString target = r.attributes().value(QStringLiteral("Target")).toString();
            return target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

}  // namespace

QString SheetReader::numberText(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
        return QString::number(value, 'f', 0);
    }
    return QString::number(value, 'g', 15);
}

SheetContent SheetReader::read(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xls") {
        return readXls(path);
    }
    if (suffix == u"xlsx") {
        return readXlsx(path);
    }
    if (suffix == u"csv") {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return failed(QStringLiteral("无法打开文件：%1").arg(file.errorString()));
        }
        return readCsv(file.readAll());
    }
    return failed(QStringLiteral("只能导入 .xls、.xlsx 或 .csv 文件。"));
}

SheetContent SheetReader::readCsv(const QByteArray& bytes) {
    // UTF-8 when the bytes are UTF-8 (a byte order mark or not); otherwise GBK, as a Chinese
    // Windows spreadsheet saves it.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        const std::optional<QString> gbk = gbkToUnicode(bytes);
        if (!gbk) {
            return failed(QStringLiteral("文件的编码既不是 UTF-8 也不是 GBK，无法读取。"));
        }
        text = *gbk;
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    SheetContent content;
    QStringList row;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << cell;
            cell.clear();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            row << cell;
            cell.clear();
            content.rows.push_back(row);
            row.clear();
        } else {
            cell += c;
        }
    }
    if (!cell.isEmpty() || !row.isEmpty()) {
        row << cell;
        content.rows.push_back(row);
    }
    return content;
}

SheetContent SheetReader::readXls(const QString& path) {
    const FreeXl* f = freeXl();
    if (f == nullptr) {
        return failed(missingLibrary("libfreexl.so.1"));
    }
    const void* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = f->open(name.constData(), &handle);
    struct Close {
        const FreeXl* f;
        const void*& handle;
        ~Close() {
            if (handle != nullptr) {
                f->close(handle);
            }
        }
    } close{f, handle};
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (rc != FREEXL_OK || (rc = f->select(handle, 0)) != FREEXL_OK ||
        (rc = f->dimensions(handle, &rows, &columns)) != FREEXL_OK) {
        return failed(notReadable(QStringLiteral("freexl %1").arg(rc)));
    }
    SheetContent content;
    content.rows.reserve(rows);
    for (unsigned int r = 0; r < rows; ++r) {
        QStringList row;
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if ((rc = f->cell(handle, r, c, &value)) != FREEXL_OK) {
                return failed(notReadable(QStringLiteral("freexl %1").arg(rc)));
            }
            switch (value.type) {
                case FREEXL_CELL_INT:
                    row << QString::number(value.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    row << numberText(value.value.double_value);
                    break;
                case FREEXL_CELL_NULL:
                    row << QString();
                    break;
                default:  // texts, dates and times come as text
                    row << QString::fromUtf8(value.value.text_value);
                    break;
            }
        }
        content.rows.push_back(row);
    }
    return content;
}

SheetContent SheetReader::readXlsx(const QString& path) {
    const LibZip* z = libZip();
    if (z == nullptr) {
        return failed(missingLibrary("libzip.so.4"));
    }
    int error = 0;
    zip_t* archive = z->open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return failed(notReadable(QStringLiteral("zip %1").arg(error)));
    }
    bool found = false;
    const QByteArray workbook = member(*z, archive, "xl/workbook.xml", &found);
    if (!found) {
        z->discard(archive);
        return failed(notReadable(QStringLiteral("xl/workbook.xml")));
    }
    const QByteArray relations = member(*z, archive, "xl/_rels/workbook.xml.rels", &found);
    const QByteArray strings = member(*z, archive, "xl/sharedStrings.xml", &found);
    const QString sheetName = firstSheetMember(workbook, relations);
    const QByteArray sheet = member(*z, archive, sheetName.toUtf8().constData(), &found);
    z->discard(archive);
    if (!found) {
        return failed(notReadable(sheetName));
    }
    const QStringList shared = sharedStrings(strings);

    SheetContent content;
    QXmlStreamReader r(sheet);
    QStringList* row = nullptr;
    int column = 0;
    QString type;
    QString value;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == u"row") {
                content.rows.emplace_back();
                row = &content.rows.back();
                column = 0;
            } else if (r.name() == u"c" && row != nullptr) {
                const int at = columnOf(r.attributes().value(QStringLiteral("r")));
                column = at >= 0 ? at : column;
                type = r.attributes().value(QStringLiteral("t")).toString();
                value.clear();
            } else if (r.name() == u"v" || (r.name() == u"t" && type == u"inlineStr")) {
                value += r.readElementText();
            }
        } else if (r.isEndElement() && r.name() == u"c" && row != nullptr) {
            QString cell = value;
            if (type == u"s") {
                bool ok = false;
                const int index = value.toInt(&ok);
                cell = ok && index >= 0 && index < shared.size() ? shared[index] : QString();
            } else if (type.isEmpty() || type == u"n") {
                bool ok = false;
                const double number = value.toDouble(&ok);
                cell = ok ? numberText(number) : value;
            }
            while (row->size() < column) {
                row->append(QString());
            }
            row->append(cell);
            column = static_cast<int>(row->size());
        }
    }
    if (r.hasError()) {
        return failed(notReadable(r.errorString()));
    }
    return content;
}

}  // namespace tillora
