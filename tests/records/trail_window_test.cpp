// The 操作记录 window: refused to an ordinary user, an administrator's filters, reading in pieces,
// the keyboard, and its export read back by a reader we did not write.
#include "records/trail_window.h"
#include "data/operation_trail.h"
#include "forms/components/list_view.h"
#include "spreadsheet/biff8_workbook.h"
#include "tests/records/records_fixture.h"
#include "tests/spreadsheet/independent_readers.h"
#include "tests/support/keyboard.h"
#include "tests/support/test_server.h"

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

class TrailWindowTest : public RecordsFixture {
  protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        // Two rows of the same second: the later stored is listed first.
        const char* rows[][6] = {
            {"2016-08-19  12:00:00", "admin", "登录", "用户登录", "", "admin"},
            {"2016-08-20  09:00:00", "admin", "删除销售记录", "销售票号 1", "金额 6.00", ""},
            {"2016-08-20  09:00:00", "张三", "修改销售明细", "销售票号 2", "茶叶", "红茶"},
            {"2016-08-20  11:00:00", "张三", "修改商品名称", "商品名称 7", "单价 10.00",
             "单价 12.00"},
            {"2016-08-21  00:00:00", "admin", "重印", "销售票号 3", "", ""},
        };
        for (const auto& r : rows) {
            ASSERT_TRUE(db.ExecuteSql(
                u"insert into 操作记录 (时间,收银台,用户,操作,对象,之前,之后) values "
                u"(#%1#,'till1','%2','%3','%4','%5','%6')"_s.arg(
                    QString::fromUtf8(r[0]), QString::fromUtf8(r[1]), QString::fromUtf8(r[2]),
                    QString::fromUtf8(r[3]), QString::fromUtf8(r[4]), QString::fromUtf8(r[5]))));
        }
    }
    TrailWindow* openTrail() {
        records->openTrail(open(FormId::SalesEntry));
        FormWindow* w = window(FormId::OperationTrail);
        return w != nullptr ? TrailWindow::of(w) : nullptr;
    }
    // The 对象 column as listed.
    static QStringList objects(const TrailWindow& w) {
        QStringList out;
        for (int r = 0; r < w.list().rowCount(); ++r) {
            out << w.list().cell(r, 4);
        }
        return out;
    }
};

TEST_F(TrailWindowTest, OrdinaryUserIsRefused) {
    CurrentUser::forget();
    logIn(u"张三"_s, u"普通用户"_s);
    EXPECT_EQ(openTrail(), nullptr);
    EXPECT_EQ(messages.texts(), QStringList{u"只有管理员才有查看操作记录的权限！"_s});
}

TEST_F(TrailWindowTest, AdministratorFiltersNewestFirst) {
    TrailWindow* w = openTrail();
    ASSERT_NE(w, nullptr);
    const QDate today = now.date(), yesterday = today.addDays(-1);
    EXPECT_EQ(objects(*w), (QStringList{u"商品名称 7"_s, u"销售票号 2"_s, u"销售票号 1"_s}));
    const struct {
        TrailFilter filter;
        QStringList expected;
    } cases[] = {
        {{yesterday, today, {}, {}},
         {u"商品名称 7"_s, u"销售票号 2"_s, u"销售票号 1"_s, u"用户登录"_s}},
        {{today, yesterday, {}, {}},  // typed the wrong way round
         {u"商品名称 7"_s, u"销售票号 2"_s, u"销售票号 1"_s, u"用户登录"_s}},
        {{today, today, u"张三"_s, {}}, {u"商品名称 7"_s, u"销售票号 2"_s}},
        {{yesterday, today, u"admin"_s, u"删除销售记录"_s}, {u"销售票号 1"_s}},
        {{today, today, {}, u"修改商品名称"_s}, {u"商品名称 7"_s}},
        {{today, today, u"x' or '1'='1"_s, {}}, {}},
        {{today, today, {}, u"' or 1=1 --"_s}, {}},
    };
    for (const auto& c : cases) {
        w->setFilter(c.filter);
        w->show();
        EXPECT_EQ(objects(*w), c.expected) << c.filter.user.toStdString();
        // Read a row at a time, the listing neither repeats nor skips one.
        TrailFilter ordered = c.filter;
        if (ordered.to < ordered.from) {
            std::swap(ordered.from, ordered.to);
        }
        QList<QStringList> rows;
        int after = 0;
        for (qsizetype before = -1; before != rows.size();) {
            before = rows.size();
            ASSERT_TRUE(readTrailPiece(db, ordered, 1, after, rows));
        }
        QStringList pieces;
        for (const QStringList& r : rows) {
            pieces << r.at(4);
        }
        EXPECT_EQ(pieces, c.expected);
    }
    // A kind met in the rows read is offered.
    EXPECT_TRUE(window(FormId::OperationTrail)
                    ->component(u"组合框_操作"_s)
                    ->items()
                    .contains(u"修改商品名称"_s));
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'|').toStdString();
}

TEST_F(TrailWindowTest, KeyboardFollowsTheTemplateAndEscapeCloses) {
    ASSERT_NE(openTrail(), nullptr);
    FormWindow* w = window(FormId::OperationTrail);
    ASSERT_TRUE(Keyboard::activate(w));
    Keyboard keys(w);
    EXPECT_EQ(keys.focusedName(), u"日期框_起"_s);
    EXPECT_EQ(keys.tabRound().join(u','), Keyboard::templateTabOrder(w).join(u','));
    Keyboard::keepScreenshot(w, u"operation_trail"_s);
    // An earlier first date, then Enter lists the range.
    keys.press(Qt::Key_Down);
    keys.press(Qt::Key_Return);
    EXPECT_EQ(TrailWindow::of(w)->list().rowCount(), 4);
    keys.press(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window(FormId::OperationTrail), nullptr);
}

TEST_F(TrailWindowTest, ExportReadsBackWithFreexl) {
    TrailWindow* w = openTrail();
    ASSERT_NE(w, nullptr);
    w->setFilter({now.date().addDays(-1), now.date().addDays(1), {}, {}});
    w->show();
    SpreadsheetTable table{operation_trail::columns(), {}};
    for (int r = 0; r < w->list().rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.titles.size(); ++c) {
            cells << w->list().cell(r, c);
        }
        table.rows << cells;
    }
    ASSERT_EQ(table.rows.size(), 5);
    const QString path = folder.file(u"trail.xls"_s);
    files.answer(path);
    w->exportTrail();
    QString error;
    const auto read = readWithFreexl(path, &error);
    ASSERT_TRUE(read.has_value()) << error.toStdString();
    EXPECT_EQ(firstDifference(expectedContent(table, Biff8Workbook::kRowLimit), *read), QString());
}

TEST(TrailServer, ListsInPiecesNewestFirstOnTheServer) {
    TILLORA_NEED_TEST_SERVER();
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    for (const char* row : {"#2026-12-07  09:00:00#,'a','1'", "#2026-12-07  23:59:59#,'b','2'",
                            "#2026-12-07  23:59:59#,'a','3'", "#2026-12-08  00:00:00#,'a','4'"}) {
        ASSERT_TRUE(server.ExecuteSql(u"insert into 操作记录 (时间,用户,对象) values ("_s +
                                      QString::fromUtf8(row) + u')'));
    }
    const struct {
        TrailFilter filter;
        QStringList expected;
    } cases[] = {{{QDate(2026, 12, 7), QDate(2026, 12, 7), {}, {}}, {u"3"_s, u"2"_s, u"1"_s}},
                 {{QDate(2026, 12, 7), QDate(2026, 12, 8), u"a"_s, {}}, {u"4"_s, u"3"_s, u"1"_s}}};
    for (const auto& c : cases) {
        QList<QStringList> rows;
        int after = 0;
        for (qsizetype before = -1; before != rows.size();) {
            before = rows.size();
            ASSERT_TRUE(readTrailPiece(server, c.filter, 1, after, rows));
        }
        QStringList objects;
        for (const QStringList& r : rows) {
            objects << r.at(4);
        }
        EXPECT_EQ(objects, c.expected);
    }
}

}  // namespace
}  // namespace tillora::test
