// Reading a shop's own files: the CSV rules a spreadsheet program writes, and files that are not
// what their name says.
#include "spreadsheet/sheet_reader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tillora {
namespace {

TEST(SheetReader, CsvQuotesLineEndsAndEncodings) {
    const SheetContent read = SheetReader::readCsv(
        "\xEF\xBB\xBF名称,单价\r\n\"茶, 绿\",\"1\"\"2\"\n\"两\r\n行\",3\rlast,4");
    ASSERT_TRUE(read.problem.isEmpty());
    const std::vector<QStringList> expected = {{QStringLiteral("名称"), QStringLiteral("单价")},
                                               {QStringLiteral("茶, 绿"), QStringLiteral("1\"2")},
                                               {QStringLiteral("两\r\n行"), QStringLiteral("3")},
                                               {QStringLiteral("last"), QStringLiteral("4")}};
    EXPECT_EQ(read.rows, expected);
    // GBK "茶" is B2 E8; a byte that is neither UTF-8 nor GBK stops the reading.
    EXPECT_EQ(SheetReader::readCsv("\xB2\xE8,1").rows.front().front(), QStringLiteral("茶"));
    EXPECT_FALSE(SheetReader::readCsv("\xFF\xFF,1").problem.isEmpty());
    EXPECT_EQ(SheetReader::numberText(6901234567892.0), QStringLiteral("6901234567892"));
    EXPECT_EQ(SheetReader::numberText(12.5), QStringLiteral("12.5"));
}

TEST(SheetReader, AFileThatIsNotItsFormatIsRefusedWithTheReason) {
    QTemporaryDir dir;
    for (const char* name : {"/a.xls", "/a.xlsx", "/a.txt"}) {
        QFile file(dir.path() + QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("名称,单价\r\n");
        file.close();
        EXPECT_FALSE(SheetReader::read(file.fileName()).problem.isEmpty()) << name;
    }
}

}  // namespace
}  // namespace tillora
