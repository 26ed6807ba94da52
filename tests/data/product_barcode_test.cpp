// A product's barcode: the check digits of the retail codes, and the column an older file gets
// at start (after a verified backup), unique where not empty and compared exactly.
#include "data/product_barcode.h"
#include "data/backup_folder.h"
#include "data/database_setup.h"
#include "data/master_data.h"
#include "data/odbcdb.h"
#include "data/server_setup.h"
#include "data/template_database.h"
#include "tests/support/first_cell.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tillora::test {
namespace {

using V = ProductBarcode::Verdict;

TEST(ProductBarcode, CheckDigitsOfTheRetailCodesOthersAsTyped) {
    const struct {
        const char* code;
        V verdict;
    } cases[] = {
        {"4006381333931", V::Ok},        {"4006381333932", V::CheckDigit},  // EAN-13
        {"0036000291452", V::Ok},        {"036000291452", V::Ok},           // UPC-A
        {"036000291453", V::CheckDigit}, {"40063812", V::Ok},               // EAN-8
        {"40063813", V::CheckDigit},     {"4006381333939X", V::Ok},         // not retail
        {"400638133393", V::CheckDigit}, {"ABC-128/x", V::Ok},
        {"12345678901234", V::Ok},       {"", V::Empty},
        {"12 34", V::BadCharacter},      {"123\t4", V::BadCharacter},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProductBarcode::check(QString::fromLatin1(c.code)), c.verdict) << c.code;
    }
    EXPECT_EQ(ProductBarcode::check(QString(51, u'1')), V::TooLong);
    EXPECT_EQ(ProductBarcode::check(QString(50, u'1')), V::Ok);
}

// A file from before the payment columns too: one backup serves both.
TEST(ProductBarcodeColumn, AnOlderFileGetsItAfterABackupUniqueWhereNotEmpty) {
    TempProgramFolder folder;
    const QString path = databasePath(folder.path());
    ASSERT_TRUE(writeTemplateDatabase(path));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(raw,
                     "drop index 商品名称_条码; alter table 商品名称 drop column 条码; alter table "
                     "销售记录 drop column 付款方式; alter table 销售记录 drop column 实收现金; "
                     "alter table 销售记录 drop column 找零",
                     nullptr, nullptr, nullptr),
        SQLITE_OK)
        << sqlite3_errmsg(raw);
    sqlite3_close(raw);

    ODBCDB db;
    const DatabaseHealth health = checkProgramDatabase(db, path);
    ASSERT_EQ(health.fault, DbFault::None);
    EXPECT_TRUE(health.upgradeProblem.isEmpty()) << health.upgradeProblem.toStdString();
    EXPECT_TRUE(hasBarcodeColumn(db));
    EXPECT_TRUE(hasPaymentColumns(db));
    EXPECT_EQ(backup_folder::files(path).size(), 1);

    const auto set = [&db](int id, const char* code) {
        return db.ExecuteSql(master_sql::setProductBarcode(id, QString::fromLatin1(code)));
    };
    EXPECT_TRUE(set(23, "ABC1"));
    EXPECT_TRUE(set(24, "abc1"));  // exact: another letter case is another code
    EXPECT_FALSE(set(25, "ABC1"));
    EXPECT_TRUE(set(25, ""));
    EXPECT_TRUE(set(26, ""));
    const std::vector<Product> found =
        readProducts(db, master_sql::productWithBarcode(QStringLiteral("abc1")));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front().id, 24);
    EXPECT_TRUE(readProducts(db, master_sql::productWithBarcode(QString())).empty());
    EXPECT_FALSE(set(23, "123456789012345678901234567890123456789012345678901"));
}

class TellingPrompts : public DatabasePrompts {
  public:
    bool askYesNo(const QString& text) override {
        shown.append(text);
        return false;
    }
    void tell(const QString& text) override { shown.append(text); }
    QStringList shown;
};

TEST(ProductBarcodeColumn, IsCopiedToAServerAndAddedToAnOlderServerDatabase) {
    TILLORA_NEED_TEST_SERVER();
    TempProgramFolder folder;
    const QString path = databasePath(folder.path());
    ASSERT_TRUE(writeTemplateDatabase(path));
    {
        ODBCDB file;
        ASSERT_TRUE(file.OpenMdbDatabase(path));
        ASSERT_TRUE(file.ExecuteSql(master_sql::setProductBarcode(23, QStringLiteral("ABC1"))));
    }
    TestServerSchema schema(false);
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ASSERT_TRUE(copyFileToServer(path, schema.url()).ok);

    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    const auto holder = [&server](const char* code) {
        const std::vector<Product> found =
            readProducts(server, master_sql::productWithBarcode(QString::fromLatin1(code)));
        return found.empty() ? 0 : found.front().id;
    };
    EXPECT_EQ(holder("ABC1"), 23);
    EXPECT_EQ(holder("abc1"), 0);
    EXPECT_FALSE(server.ExecuteSql(master_sql::setProductBarcode(24, QStringLiteral("ABC1"))));

    // A server database from before the column gets it at the next start, its rows kept.
    ASSERT_TRUE(server.ExecuteSql(QStringLiteral("alter table 商品名称 drop column 条码")));
    server.CloseDatabase();
    TellingPrompts prompts;
    ASSERT_TRUE(openServerDatabase(server, schema.url(), prompts));
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join(u'|').toStdString();
    EXPECT_TRUE(hasBarcodeColumn(server));
    EXPECT_TRUE(server.ExecuteSql(master_sql::setProductBarcode(24, QStringLiteral("X9"))));
    EXPECT_FALSE(server.ExecuteSql(master_sql::setProductBarcode(25, QStringLiteral("X9"))));
    EXPECT_EQ(firstNumber(server, QStringLiteral("select count(*) from 商品名称")), 4);
}

}  // namespace
}  // namespace tillora::test
