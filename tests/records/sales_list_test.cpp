// The sales list read in pieces: the same rows in the same order as one statement would give,
// totals exact in cents, the rest of a long list read while the window answers, rows on one line,
// columns as wide as their texts.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

#include "records/sale_listing.h"
#include "tests/records/records_fixture.h"
#include "tests/support/test_server.h"

namespace tillora::test {
namespace {

class SalesListTest : public RecordsFixture {
  protected:
    // `count` sales of one amount, all stamped at the same moment: ties everywhere.
    void addMany(int count, const char* time, const char* amount, const char* prefix = "M") {
        const QString sql =
            QStringLiteral(
                "insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                "select '%4' || i, #%1#, '1', '%2', 'admin', '' from (with recursive "
                "n(i) as (select 1 union all select i + 1 from n where i < %3) "
                "select i from n)")
                .arg(QString::fromUtf8(time), QString::fromUtf8(amount))
                .arg(count)
                .arg(QString::fromUtf8(prefix));
        ASSERT_TRUE(db.ExecuteSql(sql)) << sql.toStdString();
    }
    static void waitUntilRead(SalesRecordsWindow* w) {
        QElapsedTimer clock;
        clock.start();
        while (!w->listing().complete() && clock.elapsed() < 20000) {
            QCoreApplication::processEvents();
        }
    }
};

// Sales at equal times and sales without a time, read two at a time, on either database.
void expectPiecesGiveTheRowsOfOneStatement(ODBCDB& db) {
    for (int i = 0; i < 8; ++i) {
        const QString time = i < 2   ? QStringLiteral("null")
                             : i < 5 ? QStringLiteral("#2016-08-20  12:00:00#")
                                     : QStringLiteral("#2016-08-19  12:30:00#");
        ASSERT_TRUE(db.ExecuteSql(
            QStringLiteral("insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                           "values ('T%1',%2,'1','%3.10','admin','')")
                .arg(i)
                .arg(time)
                .arg(i)));
    }
    const auto idsOf = [&db](const QString& sql) {
        QList<int> out;
        const int h = db.OpenTable(sql);
        EXPECT_NE(h, 0) << sql.toStdString();
        for (; h != 0 && !db.IsEOF(h); db.MoveNext(h)) {
            out.append(db.ReadColByName(h, QStringLiteral("ID")).toInt());
        }
        db.CloseTable(h);
        return out;
    };
    struct Case {
        const char* name;
        SalesSelection selection;
    };
    const Case cases[] = {
        {"every sale of the dates", everySale()},
        {"a number search, sales without a time last", records_sql::numberSearch({})},
        {"one day", records_sql::listing(QDate(2016, 8, 19), QDate(2016, 8, 19))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Sales without a time last, whichever end the database sorts them to.
        const QList<int> undated =
            idsOf(QStringLiteral("select * from 销售记录 where 销售时间 is null"));
        QList<int> expected = idsOf(c.selection.statement());
        std::stable_partition(expected.begin(), expected.end(),
                              [&undated](int id) { return !undated.contains(id); });
        ASSERT_GE(expected.size(), 3);
        SaleListing whole = SaleListing::read(db, c.selection);
        SaleListing pieces = SaleListing::read(db, c.selection, 2);
        while (!pieces.complete()) {
            ASSERT_TRUE(pieces.readMore(2));
        }
        ASSERT_TRUE(whole.complete());
        QList<int> read, streamed;
        for (int r = 0; r < pieces.size(); ++r) {
            read.append(pieces.idAt(r));
        }
        EXPECT_EQ(read, expected);
        EXPECT_TRUE(pieces.forEachRow([&](const SaleRow& row) { streamed.append(row.id); }));
        EXPECT_EQ(streamed, expected);
        EXPECT_EQ(pieces.amountCents(), whole.amountCents());
        EXPECT_EQ(pieces.quantityCents(), whole.quantityCents());
        // A row's texts come with its page, wherever it lies.
        const SaleRow last = pieces.row(pieces.size() - 1);
        EXPECT_EQ(last.id, expected.last());
        EXPECT_FALSE(last.number.isEmpty());
    }
}

TEST_F(SalesListTest, PiecesGiveTheRowsOfOneStatementInItsOrder) {
    expectPiecesGiveTheRowsOfOneStatement(db);
}

// Another till deleting the last sale read, or the last few, while the rest is still being read:
// the listing goes on from the newest one still there, each sale listed once.
TEST_F(SalesListTest, PiecesGoOnWhenTheLastSalesReadAreDeleted) {
    for (const int deletedEachTime : {1, 3, 7}) {
        SCOPED_TRACE(deletedEachTime);
        ASSERT_TRUE(db.ExecuteSql(QStringLiteral("delete from 销售记录")));
        addMany(12, "2016-08-20  12:00:00", "1.00", "A");
        addMany(12, "2016-08-19  12:00:00", "2.00", "B");
        const SaleListing whole = SaleListing::read(db, everySale());
        SaleListing pieces = SaleListing::read(db, everySale(), 5);
        QList<int> deleted;
        while (!pieces.complete()) {
            for (int k = 1; k <= deletedEachTime && pieces.size() - k >= 0; ++k) {
                const int id = pieces.idAt(pieces.size() - k);
                if (!deleted.contains(id)) {
                    ASSERT_TRUE(db.ExecuteSql(
                        QStringLiteral("delete from 销售记录 where ID = %1").arg(id)));
                    deleted.append(id);
                }
            }
            ASSERT_TRUE(pieces.readMore(5));
        }
        ASSERT_EQ(pieces.size(), whole.size());
        for (int r = 0; r < whole.size(); ++r) {
            EXPECT_EQ(pieces.idAt(r), whole.idAt(r)) << "row " << r;
        }
        EXPECT_EQ(pieces.amountCents(), whole.amountCents());
    }
}

// Summed as numbers, 3000 sales of 333333.33 came to 999999990.0001.
TEST_F(SalesListTest, TotalsAreExactInCents) {
    addMany(3000, "2016-08-20  12:00:00", "333333.33");
    openRecords();
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("1000000035.99"));
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_销售数量")), QStringLiteral("3004"));
}

TEST_F(SalesListTest, TheRestOfALongListFollowsWhileTheWindowAnswers) {
    const int many = SaleListing::kFirstChunk + 5000;
    addMany(many, "2016-08-20  12:00:00", "0.10");
    SalesRecordsWindow* w = openRecords();
    ASSERT_NE(w, nullptr);
    // The first rows are there at once, and the totals are those of the rows listed.
    EXPECT_EQ(w->listing().size(), SaleListing::kFirstChunk);
    EXPECT_FALSE(w->listing().complete());
    // The sale at 23:59 of 3 pieces, then the others of one piece each.
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_销售数量")),
              QString::number(SaleListing::kFirstChunk - 1 + 3));
    waitUntilRead(w);
    EXPECT_EQ(w->listing().size(), many + 2);
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("2545.99"));

    // A sale beyond the first rows is found by reading on.
    w->fill(everySale());
    w->selectSale(early);
    EXPECT_EQ(w->selectedSaleId(), early);
    EXPECT_EQ(shown(w->currentRow(), 1), QStringLiteral("1608010000001"));
}

TEST_F(SalesListTest, RowsAreOneLineAndColumnsFitTheirTexts) {
    ASSERT_TRUE(
        db.ExecuteSql(QStringLiteral("update 销售记录 set 备注='第一行\r\n第二行\n' where ID=") +
                      QString::number(late)));
    SalesRecordsWindow* w = openRecords();
    recordsWindow->show();
    QTreeView* view = w->view();
    EXPECT_EQ(shown(0, 6), QStringLiteral("第一行⏎第二行⏎"));
    EXPECT_EQ(view->visualRect(view->model()->index(0, 0)).height(),
              view->visualRect(view->model()->index(1, 0)).height());
    // Room for the text and the margins the rows leave on either side of it.
    const QFontMetrics metrics(view->font());
    for (int column : {0, 1, 2, 5}) {
        EXPECT_GE(view->header()->sectionSize(column),
                  metrics.horizontalAdvance(shown(0, column)) + 6)
            << column;
    }
    // Never narrower than the template, and the remark keeps its width.
    EXPECT_GE(view->header()->sectionSize(3), 50);
    EXPECT_EQ(view->header()->sectionSize(6), 115);
    EXPECT_TRUE(records->draggedColumnWidths().isEmpty());

    // A width the user dragged stays for the run: through a new search and a new window.
    const int fitted = view->header()->sectionSize(2);
    view->header()->resizeSection(1, 211);
    click(recordsWindow, "按钮_搜索");
    recordsWindow->setText(QStringLiteral("编辑框_查单号"), QStringLiteral("1608"));
    click(recordsWindow, "按钮_搜索");
    EXPECT_EQ(view->header()->sectionSize(1), 211);
    manager->close(static_cast<qint32>(FormId::SalesRecords));
    w = openRecords();
    EXPECT_EQ(w->view()->header()->sectionSize(1), 211);
    EXPECT_EQ(w->view()->header()->sectionSize(2), fitted);
}

}  // namespace
}  // namespace tillora::test
