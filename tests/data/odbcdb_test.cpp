#include "data/odbcdb.h"
#include "data/db_value.h"
#include "data/sqlite_driver.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "tests/data/fresh_database.h"

#include <gtest/gtest.h>

#include <QFile>

#include <set>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

TEST(AccessConnectString, FollowsTheDriverLayout) {
    struct Case {
        QString path, user, password, expected;
    } cases[] = {
        {u"D:\\Till\\Zeb.mdb"_s,
         {},
         {},
         u"ODBC;DBQ=D:\\Till\\Zeb.mdb;DefaultDir=D:\\Till;Driver={Microsoft Access Driver "
         "(*.mdb)};FIL=MS Access;"_s},
        {u"Zeb.mdb"_s,
         {},
         {},
         u"ODBC;DBQ=Zeb.mdb;Driver={Microsoft Access Driver (*.mdb)};FIL=MS Access;"_s},
        // Only a backslash makes the DefaultDir segment.
        {u"/opt/till/Zeb.mdb"_s,
         {},
         {},
         u"ODBC;DBQ=/opt/till/Zeb.mdb;Driver={Microsoft Access Driver (*.mdb)};FIL=MS Access;"_s},
        {u"C:\\a\\b\\Zeb.mdb"_s, u"u1"_s, u"p1"_s,
         u"ODBC;DBQ=C:\\a\\b\\Zeb.mdb;DefaultDir=C:\\a\\b;Driver={Microsoft Access Driver "
         "(*.mdb)};FIL=MS Access;UID=u1;PWD=p1;"_s},
        {u"x.mdb"_s,
         {},
         u"p"_s,
         u"ODBC;DBQ=x.mdb;Driver={Microsoft Access Driver (*.mdb)};FIL=MS Access;PWD=p;"_s},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ODBCDB::accessConnectString(c.path, c.user, c.password), c.expected)
            << c.path.toStdString();
    }
}

TEST(AccessConnectString, DriverFindsTheFileEvenWithSemicolons) {
    for (const QString& path : {u"D:\\Till\\Zeb.mdb"_s, u"/tmp/a;b/Zeb.mdb"_s, u"/x/Zeb.mdb"_s}) {
        EXPECT_EQ(SqliteDriver::databaseFile(ODBCDB::accessConnectString(path).mid(5)), path);
    }
    EXPECT_EQ(SqliteDriver::databaseFile(u"DBQ={/a;b.mdb};X=1"_s), u"/a;b.mdb"_s);
    EXPECT_TRUE(SqliteDriver::databaseFile(u"Driver=x;"_s).isEmpty());
}

TEST(OdbcdbClosed, EveryOperationReportsFailure) {
    ODBCDB db;
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(db.OpenTable(u"select 1"_s), 0);
    EXPECT_FALSE(db.ExecuteSql(u"select 1"_s));
    EXPECT_FALSE(db.BeginTrans());
    EXPECT_TRUE(db.IsEOF(0));
    EXPECT_TRUE(db.ReadColByIndex(0, 1).toText().isEmpty());
    db.CommitTrans();
    db.CloseDatabase();
    EXPECT_FALSE(db.OpenMdbDatabase(u"/nonexistent/folder/Zeb.mdb"_s));
}

TEST_F(FreshDatabase, FailedOpenKeepsTheEarlierConnection) {
    EXPECT_FALSE(db.OpenMdbDatabase(folder.file(u"missing.mdb"_s)));
    EXPECT_FALSE(QFile::exists(folder.file(u"missing.mdb"_s)));  // never created
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(number(u"select count(*) from 付款方式"_s), 6);
    EXPECT_TRUE(db.connectString().startsWith(u"ODBC;DBQ="_s));
}

TEST_F(FreshDatabase, RecordSetWalkAndPositions) {
    const int h = db.OpenTable(u"select * from 付款方式"_s);
    ASSERT_NE(h, 0);
    EXPECT_EQ(db.rowCount(h), 6);
    QStringList names;
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        names << db.ReadColByName(h, u"方式"_s).toText();
    }
    EXPECT_EQ(names, (QStringList{u"现金"_s, u"微信"_s, u"QQ红包"_s, u"支付宝"_s, u"银行卡"_s,
                                  u"财付通"_s}));
    db.MoveNext(h);  // past the end: nothing happens
    EXPECT_TRUE(db.IsEOF(h));
    EXPECT_TRUE(db.ReadColByIndex(h, 1).isEmpty());
    db.MoveFirst(h);
    EXPECT_FALSE(db.IsEOF(h));
    EXPECT_EQ(db.ReadColByIndex(h, 1).toInt(), 1);
    EXPECT_EQ(db.ReadColByIndex(h, 2).toText(), u"现金"_s);
    EXPECT_TRUE(db.ReadColByIndex(h, 0).toText().isEmpty());
    EXPECT_TRUE(db.ReadColByIndex(h, 3).toText().isEmpty());
    EXPECT_TRUE(db.ReadColByName(h, u"id"_s).toText().isEmpty());  // letter case counts
    EXPECT_TRUE(db.ReadColByName(h, u"方式 "_s).isEmpty());
    db.CloseTable(h);
    EXPECT_TRUE(db.IsEOF(h));
    db.CloseTable(h);  // unknown handle: ignored
}

// Reading by name must find the right column whatever order the names are asked in, with two
// record sets read in turn, and the first of two columns with the same name.
TEST_F(FreshDatabase, ColumnsByNameInAnyOrder) {
    const int h = db.OpenTable(u"select 1 as a, 'x' as b, 2.5 as c, 'first' as d, 'second' as d"_s);
    const int g = db.OpenTable(u"select 'y' as c, 7 as a"_s);
    ASSERT_NE(h, 0);
    ASSERT_NE(g, 0);
    const QString inOrder[] = {u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    const QString expected[] = {u"1"_s, u"x"_s, u"2.5"_s, u"first"_s};
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(db.ReadColByName(h, inOrder[i]).toText(), expected[i]) << i;
            EXPECT_EQ(db.ReadColByName(g, u"a"_s).toText(), u"7"_s);
        }
    }
    // Backwards, skipping, repeating, and a name that is missing in between.
    for (const int i : {3, 3, 1, 1, 0, 2, 3, 0}) {
        EXPECT_EQ(db.ReadColByName(h, inOrder[i]).toText(), expected[i]) << i;
        EXPECT_TRUE(db.ReadColByName(h, u"e"_s).isEmpty());
    }
    EXPECT_EQ(db.ReadColByName(g, u"c"_s).toText(), u"y"_s);
    EXPECT_EQ(db.ReadColByName(h, u"c"_s).toText(), u"2.5"_s);
    db.CloseTable(h);
    // A new record set in the same slot starts afresh, with its own column order.
    const int k = db.OpenTable(u"select 'z' as d, 3 as c"_s);
    EXPECT_EQ(db.ReadColByName(k, u"c"_s).toText(), u"3"_s);
    EXPECT_EQ(db.ReadColByName(k, u"d"_s).toText(), u"z"_s);
    EXPECT_EQ(db.ReadColByName(k, u"c"_s).toText(), u"3"_s);
    db.CloseTable();
}

TEST_F(FreshDatabase, FailedOrEmptyQueriesReadAsEof) {
    EXPECT_EQ(db.OpenTable(QString()), 0);
    EXPECT_EQ(db.OpenTable(u"select * from 没有这个表"_s), 0);
    const int h = db.OpenTable(u"select * from 销售记录 where ID=-5"_s);
    EXPECT_NE(h, 0);
    EXPECT_TRUE(db.IsEOF(h));
    EXPECT_EQ(db.columnNames(h).size(), 10);
    db.CloseTable(h);
    EXPECT_TRUE(db.IsEOF(12345));
}

TEST_F(FreshDatabase, ThirtySlotsThenRefusal) {
    std::vector<int> handles;
    for (int i = 0; i < ODBCDB::kRecordSetSlots; ++i) {
        handles.push_back(db.OpenTable(u"select * from 付款方式"_s));
        ASSERT_NE(handles.back(), 0);
    }
    EXPECT_EQ(db.OpenTable(u"select * from 付款方式"_s), 0);
    EXPECT_EQ(std::set<int>(handles.begin(), handles.end()).size(), handles.size());
    db.CloseTable(handles[7]);
    const int again = db.OpenTable(u"select * from 付款方式"_s);
    EXPECT_NE(again, 0);
    EXPECT_NE(again, handles[7]);  // a stale handle never names a new record set
    EXPECT_TRUE(db.IsEOF(handles[7]));
    db.CloseTable();
    EXPECT_EQ(db.openRecordSetCount(), 0);
    for (int h : handles) {
        EXPECT_TRUE(db.IsEOF(h));
    }
}

TEST_F(FreshDatabase, ColumnKindsAndNullValues) {
    // Declared types give the kinds, whatever the stored value; NULL reads as the kind's empty
    // value.
    ASSERT_TRUE(db.ExecuteSql(u"insert into 销售记录 (销售票号) values ('x')"_s));
    int h = db.OpenTable(u"select * from 销售记录 order by ID desc"_s);
    EXPECT_EQ(db.ReadColByName(h, u"ID"_s).kind(), DbValue::Kind::Int);
    EXPECT_EQ(db.ReadColByName(h, u"销售时间"_s), DbValue::fromText({}));
    EXPECT_EQ(db.ReadColByName(h, u"数量"_s), DbValue::fromText({}));
    EXPECT_EQ(db.ReadColByName(h, u"备注"_s), DbValue::fromText({}));
    db.MoveNext(h);
    const DbValue time = db.ReadColByName(h, u"销售时间"_s);
    EXPECT_EQ(time.kind(), DbValue::Kind::DateTime);
    EXPECT_EQ(time.toText(), u"2016年8月18日20时55分36秒"_s);
    EXPECT_EQ(db.ReadColByName(h, u"金额"_s), DbValue::fromText(u"10.00"_s));
    db.CloseTable(h);

    ASSERT_TRUE(db.ExecuteSql(u"update 配置文件 set logo偏差=NULL, logo=NULL"_s));
    h = db.OpenTable(u"select * from 配置文件"_s);
    EXPECT_EQ(db.ReadColByName(h, u"logo偏差"_s), DbValue::fromInt(0));
    EXPECT_EQ(db.ReadColByName(h, u"logo"_s), DbValue::fromBytes({}));
    EXPECT_EQ(db.ReadColByName(h, u"全局单号格式"_s), DbValue::fromText(u"2"_s));
    db.CloseTable(h);

    // Expressions have no declared type: the value's own class decides.
    h = db.OpenTable(u"select count(*) as n, 1.5 as r, 'a' as t from 付款方式"_s);
    EXPECT_EQ(db.ReadColByName(h, u"n"_s), DbValue::fromInt(6));
    EXPECT_EQ(db.ReadColByName(h, u"r"_s), DbValue::fromDouble(1.5));
    EXPECT_EQ(db.ReadColByName(h, u"t"_s), DbValue::fromText(u"a"_s));
    db.CloseTable(h);
}

TEST_F(FreshDatabase, ExecuteSqlParametersAndRefusals) {
    const QByteArray picture("\x00\x01\xff\x00jpeg", 8);
    ASSERT_TRUE(
        db.ExecuteSql(u"update  [配置文件] set logo=? where [ID]=1"_s, {DbParam::bytes(picture)}));
    int h = db.OpenTable(u"select logo from 配置文件"_s);
    EXPECT_EQ(db.ReadColByIndex(h, 1).toBytes(), picture);
    db.CloseTable(h);
    ASSERT_TRUE(
        db.ExecuteSql(u"update  [配置文件] set logo=? where [ID]=1"_s, {DbParam::bytes({})}));
    EXPECT_EQ(text(u"select typeof(logo) from 配置文件"_s), u"blob"_s);  // empty, not NULL

    ASSERT_TRUE(
        db.ExecuteSql(u"update 配置文件 set 店名=? where ID=1"_s, {DbParam::text(u"店'名"_s)}));
    EXPECT_EQ(text(u"select 店名 from 配置文件"_s), u"店'名"_s);
    // Marker count and parameter count must agree.
    EXPECT_FALSE(db.ExecuteSql(u"update 配置文件 set 店名=? where ID=1"_s));
    EXPECT_FALSE(
        db.ExecuteSql(u"update 配置文件 set 店名='a' where ID=1"_s, {DbParam::text(u"x"_s)}));

    EXPECT_TRUE(db.ExecuteSql(u"select * from 销售记录"_s));  // rows read and dropped
    EXPECT_FALSE(db.ExecuteSql(QString()));
    EXPECT_FALSE(db.ExecuteSql(u"update nothing set x=1"_s));
    // Text behind the statement is refused, never run.
    EXPECT_FALSE(db.ExecuteSql(u"update 配置文件 set 店名='a'; delete from 销售记录"_s));
    EXPECT_EQ(db.OpenTable(u"select 1; delete from 销售记录"_s), 0);
    EXPECT_EQ(number(u"select count(*) from 销售记录"_s), 1);
    EXPECT_TRUE(db.ExecuteSql(u"update 配置文件 set 店名='a' ;"_s));
}

TEST_F(FreshDatabase, TransactionsCommitAndRollBack) {
    ASSERT_TRUE(db.BeginTrans());
    EXPECT_TRUE(db.BeginTrans());  // already in one: still fine
    ASSERT_TRUE(db.ExecuteSql(u"insert into [付款方式] (方式 )values ('甲')"_s));
    ASSERT_TRUE(db.RollbackTrans());
    EXPECT_EQ(number(u"select count(*) from 付款方式"_s), 6);
    EXPECT_FALSE(db.RollbackTrans());

    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(db.ExecuteSql(u"insert into [付款方式] (方式 )values ('乙')"_s));
    db.CommitTrans();
    EXPECT_FALSE(db.inTransaction());
    ODBCDB other;
    ASSERT_TRUE(other.OpenMdbDatabase(path));
    const int h = other.OpenTable(u"select count(*) from 付款方式"_s);
    EXPECT_EQ(other.ReadColByIndex(h, 1).toInt(), 7);
}

TEST_F(FreshDatabase, NowIsTheLocalClockInWholeSeconds) {
    {
        const Clock::Override clock(QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15, 678)));
        ASSERT_TRUE(db.ExecuteSql(
            u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values ('1',now(),'1','1.00','a',' ')"_s));
    }
    const int h = db.OpenTable(u"select top 1 * from [销售记录] order by ID desc"_s);
    EXPECT_EQ(db.ReadColByName(h, u"销售时间"_s).toText(), u"2024年2月29日13时14分15秒"_s);
    EXPECT_DOUBLE_EQ(db.ReadColByName(h, u"销售时间"_s).toDouble(),
                     jetDayFromDateTime(QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15))));
}

TEST(DbValueText, EachKindAsShown) {
    EXPECT_EQ(DbValue().toText(), QString());
    EXPECT_EQ(DbValue::fromBool(true).toText(), u"真"_s);
    EXPECT_EQ(DbValue::fromInt(-12).toText(), u"-12"_s);
    EXPECT_EQ(DbValue::fromByte(255).toText(), u"255"_s);
    EXPECT_EQ(DbValue::fromDouble(0.1 + 0.2).toText(), u"0.3"_s);
    EXPECT_EQ(DbValue::fromFloat(0.1f).toText(), u"0.1"_s);
    EXPECT_EQ(DbValue::fromDateTime(42600.0).toText(), u"2016年8月18日"_s);
    EXPECT_EQ(DbValue::fromDateTime(42600.375).toText(), u"2016年8月18日9时"_s);
    // The database and the value formatter share one text: the same limits and rounding.
    EXPECT_EQ(DbValue::fromDateTime(1e9).toText(), u"9999年12月31日"_s);
    EXPECT_EQ(DbValue::fromDateTime(-1e9).toText(), u"100年1月1日"_s);
    EXPECT_EQ(DbValue::fromDateTime(-1.25).toText(), u"1899年12月29日6时"_s);
    EXPECT_EQ(DbValue::fromDateTime(42600.0 + 32707.0 / 86400).toText(),
              u"2016年8月18日9时5分7秒"_s);
    // Half a second before midnight rounds to the next day.
    EXPECT_EQ(DbValue::fromDateTime(42600.0 + 86399.6 / 86400).toText(), u"2016年8月19日"_s);
    EXPECT_EQ(DbValue::fromBytes(QByteArray("ab\0cd", 5)).toText(), u"ab"_s);
    EXPECT_EQ(DbValue::fromText(u"7kg"_s).toInt(), 7);
    // Days before 1899-12-30 keep their time of day counting forward.
    EXPECT_EQ(dateTimeFromJetDay(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_DOUBLE_EQ(jetDayFromDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
}

}  // namespace
}  // namespace tillora
