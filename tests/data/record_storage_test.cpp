// A result large enough to span many storage blocks reads back cell for cell as written,
// NULLs included, however often and in whatever order its rows are visited.
#include "data/db_param.h"
#include "data/db_value.h"
#include "data/odbcdb.h"
#include "tests/data/fresh_database.h"

#include <gtest/gtest.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

constexpr int kRows = 3000;

struct Row {
    bool nullName, nullPrice, nullPicture, nullSmall;
    QString name;
    QString price;
    QByteArray picture;
    int small;
};

Row rowFor(int i) {
    Row r;
    r.nullName = i % 7 == 0;
    r.nullPrice = i % 11 == 0;
    r.nullPicture = i % 13 == 0;
    r.nullSmall = i % 17 == 0;
    // Some names far longer than a storage block share, and some empty ones.
    r.name = i % 500 == 1 ? u"长"_s.repeated(20000) + QString::number(i)
             : i % 9 == 0 ? QString()
                          : u"商品 %1 's"_s.arg(i);
    r.price = QString::number(i * 1.25);
    r.picture = i % 5 == 0 ? QByteArray() : QByteArray("\0\x01pic", 5) + QByteArray::number(i);
    r.small = i == 2 ? 70000 : i - 1500;  // 70000 clamps to the column's range
    return r;
}

class LargeResult : public FreshDatabase {
  protected:
    void SetUp() override {
        FreshDatabase::SetUp();
        ASSERT_TRUE(db.ExecuteSql(
            u"create table 大表 (ID integer primary key, 名称 text, 单价 double, 图 blob, 小 smallint)"_s));
        ASSERT_TRUE(db.BeginTrans());
        for (int i = 1; i <= kRows; ++i) {
            const Row r = rowFor(i);
            const QString sql = u"insert into 大表 values (%1, %2, %3, %4, %5)"_s.arg(i)
                                    .arg(r.nullName ? u"NULL"_s : u"?"_s)
                                    .arg(r.nullPrice ? u"NULL"_s : r.price)
                                    .arg(r.nullPicture ? u"NULL"_s : u"?"_s)
                                    .arg(r.nullSmall ? u"NULL"_s : QString::number(r.small));
            std::vector<DbParam> params;
            if (!r.nullName) {
                params.push_back(DbParam::text(r.name));
            }
            if (!r.nullPicture) {
                params.push_back(DbParam::bytes(r.picture));
            }
            ASSERT_TRUE(db.ExecuteSql(sql, params)) << i;
        }
        db.CommitTrans();
    }

    // Compares the current row of `h` with what row `i` was written with.
    void expectRow(int h, int i) {
        SCOPED_TRACE(i);
        const Row r = rowFor(i);
        EXPECT_EQ(db.ReadColByIndex(h, 1), DbValue::fromInt(i));
        EXPECT_EQ(db.ReadColByName(h, u"名称"_s),
                  DbValue::fromText(r.nullName ? QString() : r.name));
        EXPECT_EQ(db.ReadColByName(h, u"单价"_s),
                  DbValue::fromDouble(r.nullPrice ? 0.0 : r.price.toDouble()));
        EXPECT_EQ(db.ReadColByName(h, u"图"_s),
                  DbValue::fromBytes(r.nullPicture ? QByteArray() : r.picture));
        EXPECT_EQ(
            db.ReadColByIndex(h, 5),
            DbValue::fromShort(r.nullSmall ? 0 : static_cast<qint16>(std::min(r.small, 32767))));
    }
};

TEST_F(LargeResult, EveryCellReadsBackAsWritten) {
    const int h = db.OpenTable(u"select * from 大表 order by ID"_s);
    ASSERT_NE(h, 0);
    ASSERT_EQ(db.rowCount(h), kRows);
    // A second record set over the same rows, walked backwards through MoveFirst, must not
    // disturb the first one's storage.
    const int other = db.OpenTable(u"select * from 大表 where ID > 2990 order by ID desc"_s);
    ASSERT_EQ(db.rowCount(other), 10);
    int i = 1;
    for (; !db.IsEOF(h); db.MoveNext(h), ++i) {
        expectRow(h, i);
        if (i % 1000 == 0) {
            expectRow(other, 3000);
        }
    }
    EXPECT_EQ(i, kRows + 1);
    // Past the end every read is empty; walking again gives the same values.
    EXPECT_TRUE(db.ReadColByName(h, u"名称"_s).isEmpty());
    db.MoveFirst(h);
    expectRow(h, 1);
    expectRow(h, 1);
    db.CloseTable(h);
    for (int j = 3000; !db.IsEOF(other); db.MoveNext(other), --j) {
        expectRow(other, j);
    }
}

TEST_F(LargeResult, ExpressionColumnsTakeTheirFirstValuesClass) {
    // Kinds without a declared type come from the first row; later rows are read in that kind.
    const int h = db.OpenTable(
        u"select ID * 2 as 双, 名称 || '' as 名 from 大表 where ID in (1, 7, 8) order by ID"_s);
    ASSERT_EQ(db.rowCount(h), 3);
    EXPECT_EQ(db.ReadColByName(h, u"双"_s), DbValue::fromInt(2));
    EXPECT_EQ(db.ReadColByName(h, u"名"_s), DbValue::fromText(rowFor(1).name));
    db.MoveNext(h);
    EXPECT_EQ(db.ReadColByName(h, u"名"_s), DbValue::fromText({}));  // NULL
    db.MoveNext(h);
    EXPECT_EQ(db.ReadColByName(h, u"双"_s), DbValue::fromInt(16));
    EXPECT_EQ(db.ReadColByName(h, u"名"_s), DbValue::fromText(rowFor(8).name));
    db.CloseTable(h);
}

}  // namespace
}  // namespace tillora
