// 导入 on the product page: a shop's product list from .xls, .xlsx or .csv (UTF-8 or GBK), shown
// row by row before one transaction stores it; and the rules each row meets.
#include <QTemporaryDir>

#include "platform/gbk_text.h"
#include "settings/product_import.h"
#include "spreadsheet/sheet_reader.h"
#include "spreadsheet/spreadsheet_file.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/scripted_file_dialog.h"

namespace tillora::test {
namespace {

using Action = ProductImport::Action;

// Columns in another order than usual, with one the import leaves alone.
const QStringList kTitles = {QStringLiteral("条码"), QStringLiteral("名称"), QStringLiteral("备注"),
                             QStringLiteral("单价")};
const QList<QStringList> kRows = {
    {QStringLiteral("4006381333931"), QStringLiteral("茶杯"), QStringLiteral("x"),
     QStringLiteral("12.5")},
    {QString(), QStringLiteral("xsq-显示器"), QString(), QStringLiteral("280")},
    {QString(), QString(), QString(), QStringLiteral("3")},
    {QString(), QStringLiteral("坏价"), QString(), QStringLiteral("1e3")},
    {QStringLiteral("4006381333931"), QStringLiteral("茶杯2"), QString(), QStringLiteral("1")},
    {QStringLiteral("4006381333932"), QStringLiteral("错码"), QString(), QStringLiteral("1")},
    {QStringLiteral("ABC-128"), QStringLiteral("自编码"), QString(), QStringLiteral("2")},
};

QByteArray csv(const QStringList& titles, const QList<QStringList>& rows) {
    QString text = titles.join(u',') + QStringLiteral("\r\n");
    for (const QStringList& r : rows) {
        text += r.join(u',') + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

TEST(ProductImportPlan, EachRowIsAddedChangedOrRefusedWithItsReason) {
    std::vector<QStringList> table{kTitles};
    table.insert(table.end(), kRows.begin(), kRows.end());
    const std::vector<Product> existing = {
        {24, QStringLiteral("xsq-显示器"), QStringLiteral("300.00"), QString()},
        {25, QStringLiteral("mkf-麦克风"), QStringLiteral("10.00"), QStringLiteral("ABC-128")}};
    const ProductImport plan = ProductImport::plan(table, existing);
    ASSERT_TRUE(plan.problem().isEmpty());
    const struct {
        int line;
        Action action;
        int product;
        const char* reason;
    } expected[] = {
        {2, Action::Add, 0, ""},
        {3, Action::Change, 24, ""},
        {4, Action::Refuse, 0, "名称为空"},
        {5, Action::Refuse, 0, "单价不是金额：1e3"},
        {6, Action::Refuse, 0, "条码与第 2 行重复"},
        {7, Action::Refuse, 0, "条码校验位不对"},
        {8, Action::Change, 25, ""},  // the code's product takes the new name
    };
    ASSERT_EQ(plan.rows().size(), std::size(expected));
    for (std::size_t i = 0; i < plan.rows().size(); ++i) {
        const ProductImport::Row& r = plan.rows()[i];
        EXPECT_EQ(r.line, expected[i].line);
        EXPECT_EQ(r.action, expected[i].action) << r.line;
        EXPECT_EQ(r.productId, expected[i].product) << r.line;
        EXPECT_EQ(r.reason, QString::fromUtf8(expected[i].reason)) << r.line;
    }
    EXPECT_EQ(plan.rows()[0].unitPrice, QStringLiteral("12.50"));

    // A file of another shape is refused whole, with the reason.
    const ProductImport other =
        ProductImport::plan({{QStringLiteral("商品"), QStringLiteral("价格")},
                             {QStringLiteral("a"), QStringLiteral("1")}},
                            existing);
    EXPECT_TRUE(other.problem().contains(QStringLiteral("“名称”和“单价”")));
    EXPECT_TRUE(
        ProductImport::plan({}, existing).problem().startsWith(QStringLiteral("文件是空的")));
}

enum class Format { Xls, Xlsx, CsvUtf8, CsvGbk };

class ProductImportTest : public SettingsFixture, public ::testing::WithParamInterface<Format> {
  protected:
    QString write(Format format) {
        const QString base = dir.path() + QStringLiteral("/商品");
        switch (format) {
            case Format::Xls:
            case Format::Xlsx: {
                const QString path = base + (format == Format::Xls ? QStringLiteral(".xls")
                                                                   : QStringLiteral(".xlsx"));
                EXPECT_EQ(SpreadsheetFile::write(path, {kTitles, kRows}),
                          SpreadsheetResult::Written);
                return path;
            }
            case Format::CsvUtf8:
            case Format::CsvGbk: {
                QByteArray bytes = csv(kTitles, kRows);
                if (format == Format::CsvGbk) {
                    bytes = *unicodeToGbk(QString::fromUtf8(bytes));
                }
                QFile file(base + QStringLiteral(".csv"));
                EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(bytes);
                return file.fileName();
            }
        }
        return {};
    }
    QTemporaryDir dir;
    ScriptedFileDialog files;
};

TEST_P(ProductImportTest, StoresTheAcceptedRowsOnConfirmation) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    QString shown;
    bool confirm = false;
    settings->setImportConfirm([&](const ProductImport& plan, FormWindow*) {
        shown = plan.summary();
        return confirm;
    });
    const QString path = write(GetParam());
    files.answer(path);
    click(w, "按钮_导入");
    EXPECT_EQ(shown, QStringLiteral("新增 2 行，修改 1 行，拒绝 4 行"));
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称")), 4);  // cancelled

    confirm = true;
    files.answer(path);
    click(w, "按钮_导入");
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称")), 6);
    EXPECT_EQ(text(QStringLiteral("select 名称 from 商品名称 where 条码='4006381333931'")),
              QStringLiteral("茶杯"));
    EXPECT_EQ(text(QStringLiteral("select 单价 from 商品名称 where 名称='xsq-显示器'")),
              QStringLiteral("280.00"));
    EXPECT_EQ(text(QStringLiteral("select 单价 from 商品名称 where 条码='ABC-128'")),
              QStringLiteral("2.00"));
    EXPECT_EQ(list(w, "超级列表框1")->rowCount(), 6);
}

INSTANTIATE_TEST_SUITE_P(Formats, ProductImportTest,
                         ::testing::Values(Format::Xls, Format::Xlsx, Format::CsvUtf8,
                                           Format::CsvGbk));

// 导出 writes what 导入 reads back: the same three columns.
TEST_F(SettingsFixture, ExportedListComesBackAsItWent) {
    ScriptedFileDialog files;
    QTemporaryDir dir;
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 商品名称 set 条码='ABC-1' where ID=24")));
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    for (const char* suffix : {"/list.xls", "/list.xlsx"}) {
        const QString path = dir.path() + QString::fromLatin1(suffix);
        files.answer(path);
        click(w, "按钮_导出");
        const SheetContent sheet = SheetReader::read(path);
        ASSERT_TRUE(sheet.problem.isEmpty()) << sheet.problem.toStdString();
        ASSERT_EQ(sheet.rows.size(), 5u);
        EXPECT_EQ(sheet.rows[0], (QStringList{QStringLiteral("名称"), QStringLiteral("单价"),
                                              QStringLiteral("条码")}));
        EXPECT_EQ(sheet.rows[2], (QStringList{QStringLiteral("xsq-显示器"),
                                              QStringLiteral("300.00"), QStringLiteral("ABC-1")}));
        const ProductImport plan =
            ProductImport::plan(sheet.rows, readProducts(db, master_sql::listProducts()));
        EXPECT_EQ(plan.summary(), QStringLiteral("新增 0 行，修改 4 行，拒绝 0 行"));
    }
}

TEST_F(SettingsFixture, ImportRefusesAFileOfAnotherShapeAndTheBarcodeBoxChecksItsCode) {
    ScriptedFileDialog files;
    QTemporaryDir dir;
    QFile file(dir.path() + QStringLiteral("/list.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(csv({QStringLiteral("商品"), QStringLiteral("价格")},
                   {{QStringLiteral("a"), QStringLiteral("1")}}));
    file.close();
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    files.answer(file.fileName());
    click(w, "按钮_导入");
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("“名称”和“单价”")));

    messages.clear();
    set(w, "编辑框_名称", QStringLiteral("茶杯"));
    set(w, "编辑框_单价", QStringLiteral("12.50"));
    for (const char* code : {"4006381333932", "4006381333931", "4006381333931", "40063813"}) {
        set(w, "编辑框_条码", QString::fromLatin1(code));
        click(w, "按钮_添加");
    }
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("条码 4006381333932 的校验位不对，请核对后重新输入！"),
                           QStringLiteral("条码 4006381333931 已用于商品“茶杯”！"),
                           QStringLiteral("条码 40063813 的校验位不对，请核对后重新输入！")}));
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称 where 条码<>''")), 1);
}

}  // namespace
}  // namespace tillora::test
