// Every file is read back by readers we did not write; each must see exactly the list's texts.
#include "spreadsheet/biff8_workbook.h"
#include "spreadsheet/spreadsheet_file.h"
#include "spreadsheet/xlsx_workbook.h"
#include "tests/spreadsheet/independent_readers.h"
#include "tests/spreadsheet/test_tables.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tillora::test {
namespace {

struct Case {
    const char* name;
    SpreadsheetTable table;
};

class ReadBack : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new QTemporaryDir;
        cases_ = new QList<Case>{{"three", threeSales()},
                                 {"hundred_thousand", manyLines(100000)},
                                 {"long_chinese", longChineseTexts(5000)},
                                 {"awkward", awkwardTexts()}};
        for (const Case& c : *cases_) {
            for (const char* suffix : {".xls", ".xlsx"}) {
                const QString path = file(c, suffix);
                ASSERT_EQ(SpreadsheetFile::write(path, c.table), SpreadsheetResult::Written)
                    << path.toStdString();
            }
        }
    }
    static void TearDownTestSuite() {
        delete cases_;
        delete folder_;
    }
    static QString file(const Case& c, const char* suffix) {
        // Distinct base names: LibreOffice names its CSV files after them.
        return folder_->filePath(QString::fromLatin1(c.name) + QLatin1Char('_') +
                                 QLatin1String(suffix + 1) + QLatin1String(suffix));
    }
    static WorkbookContent expected(const Case& c, const char* suffix) {
        return expectedContent(c.table, QLatin1String(suffix) == QLatin1String(".xls")
                                            ? Biff8Workbook::kRowLimit
                                            : XlsxWorkbook::kRowLimit);
    }

    static QTemporaryDir* folder_;
    static QList<Case>* cases_;
};

QTemporaryDir* ReadBack::folder_ = nullptr;
QList<Case>* ReadBack::cases_ = nullptr;

TEST_F(ReadBack, XlrdAndFreexlSeeEveryText) {
    for (const Case& c : *cases_) {
        SCOPED_TRACE(c.name);
        const WorkbookContent want = expected(c, ".xls");
        QString error;
        const auto xlrd = readWithXlrd(file(c, ".xls"), &error);
        ASSERT_TRUE(xlrd) << error.toStdString();
        EXPECT_EQ(firstDifference(want, *xlrd).toStdString(), "");
        // xlrd reads .xlsx too: a second reader for the escapes LibreOffice folds.
        const auto xlrdX = readWithXlrd(file(c, ".xlsx"), &error);
        ASSERT_TRUE(xlrdX) << error.toStdString();
        EXPECT_EQ(firstDifference(expected(c, ".xlsx"), *xlrdX).toStdString(), "");
        const auto freexl = readWithFreexl(file(c, ".xls"), &error);
        ASSERT_TRUE(freexl) << error.toStdString();
        EXPECT_EQ(firstDifference(want, *freexl).toStdString(), "");
    }
}

TEST_F(ReadBack, LibreOfficeSeesEveryTextOfBothFormats) {
    if (!haveLibreOffice()) {
        GTEST_SKIP() << "soffice not installed";
    }
    QStringList files;
    for (const Case& c : *cases_) {
        files << file(c, ".xls") << file(c, ".xlsx");
    }
    QString error;
    const auto contents = readWithLibreOffice(files, folder_->path(), &error);
    ASSERT_TRUE(contents) << error.toStdString();
    qsizetype i = 0;
    for (const Case& c : *cases_) {
        for (const char* suffix : {".xls", ".xlsx"}) {
            SCOPED_TRACE(std::string(c.name) + suffix);
            WorkbookContent want = expected(c, suffix);
            // LibreOffice keeps a cell's line breaks as single LFs (the files hold the CR: xlrd
            // and libfreexl read it back).
            for (SheetContent& sheet : want) {
                for (QStringList& row : sheet.rows) {
                    row.replaceInStrings(QStringLiteral("\r\n"), QStringLiteral("\n"));
                }
            }
            EXPECT_EQ(firstDifference(want, contents->at(i++)).toStdString(), "");
        }
    }
}

}  // namespace
}  // namespace tillora::test
