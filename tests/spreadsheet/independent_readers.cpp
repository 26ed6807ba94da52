#include "tests/spreadsheet/independent_readers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <freexl.h>

#include <algorithm>

namespace tillora::test {

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

QString sourceDir() {
    return qEnvironmentVariable("TILLORA_SOURCE_DIR", QStringLiteral(TILLORA_TEST_SOURCE_DIR));
}

void trimRow(QStringList& row) {
    while (!row.isEmpty() && row.last().isEmpty()) {
        row.removeLast();
    }
}

}  // namespace

void normalise(WorkbookContent& content) {
    for (SheetContent& sheet : content) {
        for (QStringList& row : sheet.rows) {
            trimRow(row);
        }
        while (!sheet.rows.isEmpty() && sheet.rows.last().isEmpty()) {
            sheet.rows.removeLast();
        }
    }
}

WorkbookContent expectedContent(const SpreadsheetTable& table, std::int64_t rowLimit) {
    WorkbookContent content;
    const std::int64_t perSheet = dataRowsPerSheet(rowLimit);
    const int sheets = sheetCountFor(table.rows.size(), rowLimit);
    for (int s = 0; s < sheets; ++s) {
        SheetContent sheet{QStringLiteral("Sheet%1").arg(s + 1), {table.titles}};
        const std::int64_t first = s * perSheet;
        const std::int64_t last = std::min<std::int64_t>(table.rows.size(), first + perSheet);
        for (std::int64_t r = first; r < last; ++r) {
            sheet.rows.append(table.rows.at(r).mid(0, table.titles.size()));
        }
        content.append(sheet);
    }
    normalise(content);
    return content;
}

std::optional<WorkbookContent> readWithXlrd(const QString& path, QString* error) {
    QProcess python;
    python.start(kPython, {sourceDir() + QStringLiteral("/tests/spreadsheet/read_xls.py"), path});
    if (!python.waitForFinished(300000) || python.exitCode() != 0) {
        *error = QStringLiteral("xlrd: ") + QString::fromUtf8(python.readAllStandardError());
        return std::nullopt;
    }
    const QJsonDocument json = QJsonDocument::fromJson(python.readAllStandardOutput());
    WorkbookContent content;
    for (const QJsonValue& sheetValue : json.array()) {
        const QJsonObject sheetObject = sheetValue.toObject();
        SheetContent sheet{sheetObject.value(QStringLiteral("name")).toString(), {}};
        for (const QJsonValue& rowValue : sheetObject.value(QStringLiteral("rows")).toArray()) {
            QStringList row;
            for (const QJsonValue& cell : rowValue.toArray()) {
                row.append(cell.toString());
            }
            sheet.rows.append(row);
        }
        content.append(sheet);
    }
    normalise(content);
    return content;
}

std::optional<WorkbookContent> readWithFreexl(const QString& path, QString* error) {
    const void* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = freexl_open(name.constData(), &handle);
    auto fail = [&](const QString& what) {
        *error = QStringLiteral("freexl: %1 (%2)").arg(what).arg(rc);
        freexl_close(handle);
        return std::nullopt;
    };
    if (rc != FREEXL_OK) {
        return fail(QStringLiteral("open"));
    }
    unsigned int sheets = 0;
    if ((rc = freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets)) != FREEXL_OK) {
        return fail(QStringLiteral("sheet count"));
    }
    WorkbookContent content;
    for (unsigned short s = 0; s < sheets; ++s) {
        const char* sheetName = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if ((rc = freexl_get_worksheet_name(handle, s, &sheetName)) != FREEXL_OK ||
            (rc = freexl_select_active_worksheet(handle, s)) != FREEXL_OK ||
            (rc = freexl_worksheet_dimensions(handle, &rows, &columns)) != FREEXL_OK) {
            return fail(QStringLiteral("sheet %1").arg(s));
        }
        SheetContent sheet{QString::fromUtf8(sheetName), {}};
        for (unsigned int r = 0; r < rows; ++r) {
            QStringList row;
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if ((rc = freexl_get_cell_value(handle, r, c, &value)) != FREEXL_OK) {
                    return fail(QStringLiteral("cell %1,%2").arg(r).arg(c));
                }
                if (value.type == FREEXL_CELL_SST_TEXT || value.type == FREEXL_CELL_TEXT) {
                    row.append(QString::fromUtf8(value.value.text_value));
                } else if (value.type == FREEXL_CELL_NULL) {
                    row.append(QString());
                } else {
                    return fail(QStringLiteral("cell %1,%2 is not text").arg(r).arg(c));
                }
            }
            sheet.rows.append(row);
        }
        content.append(sheet);
    }
    freexl_close(handle);
    normalise(content);
    return content;
}

bool haveLibreOffice() {
    return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
}

std::optional<QList<WorkbookContent>> readWithLibreOffice(const QStringList& files,
                                                          const QString& workFolder,
                                                          QString* error) {
    const QString out = workFolder + QStringLiteral("/csv");
    QDir().mkpath(out);
    // A profile of its own: a running office or another test run must not catch the request.
    const QString profile =
        QUrl::fromLocalFile(workFolder + QStringLiteral("/profile")).toString(QUrl::FullyEncoded);
    QStringList arguments{QStringLiteral("-env:UserInstallation=") + profile,
                          QStringLiteral("--headless"), QStringLiteral("--norestore"),
                          // comma, double quote, UTF-8, from line 1, every sheet to its own file
                          QStringLiteral("--convert-to"),
                          QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,"
                                         "false,false,false,false,-1"),
                          QStringLiteral("--outdir"), out};
    arguments += files;
    QProcess office;
    office.start(QStringLiteral("soffice"), arguments);
    if (!office.waitForFinished(900000) || office.exitCode() != 0) {
        *error = QStringLiteral("soffice: ") + QString::fromUtf8(office.readAllStandardError());
        return std::nullopt;
    }
    QList<WorkbookContent> all;
    for (const QString& file : files) {
        const QString base = QFileInfo(file).completeBaseName();
        WorkbookContent content;
        for (int s = 1;; ++s) {
            const QString name = QStringLiteral("Sheet%1").arg(s);
            QFile csv(out + QLatin1Char('/') + base + QLatin1Char('-') + name +
                      QStringLiteral(".csv"));
            if (!csv.open(QIODevice::ReadOnly)) {
                break;
            }
            content.append({name, parseCsv(QString::fromUtf8(csv.readAll()))});
        }
        if (content.isEmpty()) {
            *error = QStringLiteral("soffice wrote no CSV for ") + file + QLatin1Char('\n') +
                     QString::fromUtf8(office.readAllStandardOutput()) +
                     QString::fromUtf8(office.readAllStandardError());
            return std::nullopt;
        }
        normalise(content);
        all.append(content);
    }
    return all;
}

QList<QStringList> parseCsv(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c == QLatin1Char(',')) {
            row.append(field);
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

QString firstDifference(const WorkbookContent& expected, const WorkbookContent& actual) {
    if (expected.size() != actual.size()) {
        return QStringLiteral("%1 sheets, expected %2").arg(actual.size()).arg(expected.size());
    }
    for (qsizetype s = 0; s < expected.size(); ++s) {
        const SheetContent& e = expected.at(s);
        const SheetContent& a = actual.at(s);
        if (e.name != a.name) {
            return QStringLiteral("sheet %1 named %2, expected %3").arg(s).arg(a.name, e.name);
        }
        if (e.rows.size() != a.rows.size()) {
            return QStringLiteral("%1: %2 rows, expected %3")
                .arg(e.name)
                .arg(a.rows.size())
                .arg(e.rows.size());
        }
        for (qsizetype r = 0; r < e.rows.size(); ++r) {
            if (e.rows.at(r) != a.rows.at(r)) {
                return QStringLiteral("%1 row %2: [%3], expected [%4]")
                    .arg(e.name)
                    .arg(r)
                    .arg(a.rows.at(r).join(QStringLiteral("|")),
                         e.rows.at(r).join(QStringLiteral("|")));
            }
        }
    }
    return {};
}

}  // namespace tillora::test
