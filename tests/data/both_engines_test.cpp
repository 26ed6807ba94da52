// The program's statements give the same answers on the embedded file and on the server: Jet's
// text comparison, its limits, AutoNumber, the cascade, day numbers and the Jet syntax.
#include "data/database_setup.h"
#include "data/jet_dialect_pg.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/jet_date.h"
#include "tests/support/first_cell.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <memory>

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

TEST(ServerDialect, RewritesWhatTheServerReadsDifferently) {
    // Quoted names fold as unquoted ones do; markers are numbered; literals stay untouched.
    EXPECT_EQ(
        translateJetSqlForServer(u"select * from \"配置文件\" where \"ID\"=? and 店名='?'"_s, 0),
        u"select * from \"配置文件\" where \"id\"=$1 and 店名='?'"_s);
    EXPECT_EQ(translateJetSqlForServer(u"select top 3 * from t where d < #2016-08-18#"_s, 0),
              u"select  * from t where d < 42600 limit 3"_s);
    EXPECT_EQ(translateJetSqlForServer(u"insert into t (a) values (now())"_s, 42600.5),
              u"insert into t (a) values (42600.5)"_s);
    EXPECT_EQ(translateJetSqlForServer(u"select 'now()' from t"_s, 1), u"select 'now()' from t"_s);
    EXPECT_EQ(translateJetSqlForServer(
                  u"select a from t where a collate binary >= 'collate binary'"_s, 0),
              u"select a from t where a collate \"C\" >= 'collate binary'"_s);
}

TEST(ServerDialect, LikeIsCaseBlindAndKnowsNoBackslashEscape) {
    EXPECT_EQ(translateJetSqlForServer(u"select * from t where a like 'x\\%'"_s, 0),
              u"select * from t where a collate \"und-x-icu\" ilike 'x\\\\%'"_s);
    EXPECT_EQ(translateJetSqlForServer(u"select * from t where a not like 'x'"_s, 0),
              u"select * from t where a collate \"und-x-icu\" not ilike 'x'"_s);
    // An explicit escape keeps the pattern as written.
    EXPECT_EQ(translateJetSqlForServer(u"select * from t where a like 'x\\%' escape '\\'"_s, 0),
              u"select * from t where a collate \"und-x-icu\" ilike 'x\\%' escape '\\'"_s);
}

TEST(ServerDialect, LoneWhereValuesBecomeTruthTests) {
    const QString one = translateJetSqlForServer(u"select * from 配置文件 where 1"_s, 0);
    EXPECT_TRUE(one.startsWith(
        u"select * from 配置文件 where coalesce(substring(cast(1 as text) collate \"C\""_s))
        << one.toStdString();
    const QString column =
        translateJetSqlForServer(u"select * from 配置文件 where 全局单号格式 order by ID"_s, 0);
    EXPECT_TRUE(column.contains(u"cast(全局单号格式 as text)"_s)) << column.toStdString();
    EXPECT_TRUE(column.endsWith(u" order by ID"_s));
    // A real condition is left alone.
    EXPECT_EQ(translateJetSqlForServer(u"select * from t where 1=0"_s, 0),
              u"select * from t where 1=0"_s);
}

enum class Engine { File, Server };

class BothEngines : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (GetParam() == Engine::File) {
            ASSERT_TRUE(folder.isValid());
            const QString path = databasePath(folder.path());
            ASSERT_TRUE(writeTemplateDatabase(path));
            ASSERT_TRUE(db.OpenMdbDatabase(path));
            return;
        }
        TILLORA_NEED_TEST_SERVER();
        server = std::make_unique<TestServerSchema>();
        ASSERT_TRUE(server->isValid()) << server->error().toStdString();
        ASSERT_TRUE(db.NewOpenDatabase(server->url(), false, true));
    }
    void TearDown() override {
        Clock::setSource({});
        db.CloseDatabase();
    }

    int number(const QString& sql) { return firstNumber(db, sql); }
    DbValue firstValue(const QString& sql) {
        const int h = db.OpenTable(sql);
        const DbValue v = (h == 0 || db.IsEOF(h)) ? DbValue() : db.ReadColByIndex(h, 1);
        db.CloseTable(h);
        return v;
    }
    QString text(const QString& sql) { return firstText(db, sql); }
    bool run(const QString& sql) { return db.ExecuteSql(sql); }
    int customers(const QString& condition) {
        return number(u"select count(*) from [客户资料] where "_s + condition);
    }

    TempProgramFolder folder;
    std::unique_ptr<TestServerSchema> server;
    ODBCDB db;
};

TEST_P(BothEngines, EqualsIgnoresCaseAndTrailingBlanksOnly) {
    ASSERT_TRUE(run(u"insert into [客户资料] (姓名,电话) values ('Zhang Wei  ','1')"_s));
    ASSERT_TRUE(run(u"insert into [客户资料] (姓名,电话) values ('Ärger','2')"_s));
    EXPECT_EQ(customers(u"姓名='zhang wei'"_s), 1);
    EXPECT_EQ(customers(u"姓名='ZHANG WEI    '"_s), 1);
    EXPECT_EQ(customers(u"姓名='ärger'"_s), 1);
    EXPECT_EQ(customers(u"姓名='zhang  wei'"_s), 0);  // blanks inside still count
    EXPECT_EQ(customers(u"姓名=' zhang wei'"_s), 0);  // and leading ones
    EXPECT_EQ(customers(u"姓名='zhang wei.'"_s), 0);
    EXPECT_EQ(customers(u"姓名='arger'"_s), 0);  // an accent is not a letter case
    // What was stored is read back as it was written.
    EXPECT_EQ(text(u"select 姓名 from [客户资料] where 电话='1'"_s), u"Zhang Wei  "_s);
    EXPECT_EQ(number(u"select len(姓名) from [客户资料] where 电话='1'"_s), 11);
}

TEST_P(BothEngines, LikeIgnoresCaseButMatchesBlanksAndBackslashesAsWritten) {
    ASSERT_TRUE(run(u"insert into [客户资料] (姓名,电话) values ('Zhang Wei  ','1')"_s));
    ASSERT_TRUE(run(u"insert into [客户资料] (姓名,电话) values ('a\\b','2')"_s));
    EXPECT_EQ(customers(u"姓名 like '%WEI%'"_s), 1);
    EXPECT_EQ(customers(u"姓名 like 'zhang_wei%'"_s), 1);
    EXPECT_EQ(customers(u"姓名 like '%wei'"_s), 0);  // the stored blanks are there
    EXPECT_EQ(customers(u"姓名 like 'A\\B'"_s), 1);
    EXPECT_EQ(customers(u"姓名 like 'a\\%'"_s), 1);
    EXPECT_EQ(customers(u"姓名 like 'a\\_'"_s), 1);
    const int all = customers(u"1=1"_s);
    EXPECT_EQ(customers(u"姓名 not like '%wei%'"_s), all - 1);
}

TEST_P(BothEngines, TextLimitsCountEveryCharacter) {
    const QString fifty(50, u'货');
    EXPECT_TRUE(run(u"insert into [商品名称] (名称,单价) values ('"_s + fifty + u"','1')"_s));
    EXPECT_FALSE(run(u"insert into [商品名称] (名称,单价) values ('"_s + fifty + u"x','1')"_s));
    // Trailing blanks are characters of the value, so they count toward the limit.
    EXPECT_FALSE(
        run(u"insert into [商品名称] (名称,单价) values ('"_s + QString(49, u'a') + u"  ','1')"_s));
    EXPECT_TRUE(
        run(u"insert into [客户资料] (姓名,电话) values ('x','"_s + QString(100, u'1') + u"')"_s));
}

TEST_P(BothEngines, AutoNumberNeverGivesAnIdTwice) {
    ASSERT_TRUE(run(u"insert into [付款方式] (方式 )values ('赊账')"_s));
    const int first = number(u"select max(ID) from 付款方式"_s);
    EXPECT_GT(first, 13);  // past the template's rows
    ASSERT_TRUE(run(u"delete from 付款方式  where ID="_s + QString::number(first)));
    ASSERT_TRUE(run(u"insert into [付款方式] (方式 )values ('赊账')"_s));
    EXPECT_GT(number(u"select max(ID) from 付款方式"_s), first);
}

TEST_P(BothEngines, DeletingASaleTakesItsLines) {
    ASSERT_EQ(number(u"select count(*) from 销售详情 where 关联=401"_s), 1);
    ASSERT_TRUE(run(u"delete from 销售记录  where ID=401"_s));
    EXPECT_EQ(number(u"select count(*) from 销售详情 where 关联=401"_s), 0);
    // A line for a sale that does not exist is refused.
    EXPECT_FALSE(run(u"insert into 销售详情 (关联,名称) values (999999,'x')"_s));
}

TEST_P(BothEngines, SaleTimesAreDayNumbers) {
    const int h = db.OpenTable(
        u"select * from [销售记录] where [销售时间] between "
        u"#2016-08-18  00:00:00# and #2016-08-18  23:59:59#"_s);
    ASSERT_NE(h, 0);
    ASSERT_FALSE(db.IsEOF(h));
    const DbValue time = db.ReadColByName(h, u"销售时间"_s);
    EXPECT_EQ(time.kind(), DbValue::Kind::DateTime);
    EXPECT_DOUBLE_EQ(time.toDouble(), 42600 + 75336.0 / 86400);
    EXPECT_EQ(db.ReadColByName(h, u"ID"_s).toInt(), 401);
    db.CloseTable(h);

    const QDateTime clock(QDate(2021, 3, 4), QTime(5, 6, 7));
    Clock::setSource([clock] { return clock; });
    ASSERT_TRUE(run(u"insert into [销售记录] (销售票号,销售时间) values ('x1',now())"_s));
    EXPECT_EQ(text(u"select 销售时间 from 销售记录 where 销售票号='x1'"_s),
              DbValue::fromDateTime(jetDayFromDateTime(clock)).toText());
}

TEST_P(BothEngines, JetSyntaxReadsTheSame) {
    const int h = db.OpenTable(u"select top 2 * from [付款方式] order by ID"_s);
    ASSERT_NE(h, 0);
    EXPECT_EQ(db.rowCount(h), 2);
    EXPECT_EQ(db.columnNames(h), QStringList({u"ID"_s, u"方式"_s}));
    EXPECT_EQ(db.ReadColByName(h, u"ID"_s).kind(), DbValue::Kind::Int);
    db.CloseTable(h);
    EXPECT_EQ(number(u"select count(*) from 配置文件 where 1"_s), 1);
    EXPECT_EQ(text(u"select 店名 from 配置文件 where 全局单号格式"_s), u"Korvane"_s);
    ASSERT_TRUE(run(u"update 配置文件  set  全局单号格式=0"_s));
    EXPECT_EQ(number(u"select count(*) from 配置文件 where 全局单号格式"_s), 0);
    EXPECT_EQ(number(u"select count(*) from 用户登录 where 用户名='ADMIN' and [ID]=11 and id=11"_s),
              1);
}

TEST_P(BothEngines, ReceiptNumbersAreUniqueAndTransactionsWhole) {
    EXPECT_FALSE(run(u"insert into [销售记录] (销售票号) values ('1608180000001')"_s));
    EXPECT_EQ(db.lastFault(), DbFault::Duplicate);

    const int before = number(u"select count(*) from 销售记录"_s);
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(run(u"insert into [销售记录] (销售票号) values ('t1')"_s));
    EXPECT_EQ(number(u"select count(*) from 销售记录"_s), before + 1);
    ASSERT_TRUE(db.RollbackTrans());
    EXPECT_EQ(number(u"select count(*) from 销售记录"_s), before);
}

TEST_P(BothEngines, ByteBlocksAndNullsRoundTrip) {
    const QByteArray logo("\x00\x01\xff\\x'", 6);
    ASSERT_TRUE(
        db.ExecuteSql(u"update  [配置文件] set logo=? where [ID]=1"_s, {DbParam::bytes(logo)}));
    EXPECT_EQ(firstValue(u"select logo from 配置文件"_s).toBytes(), logo);
    ASSERT_TRUE(
        db.ExecuteSql(u"update 客户资料 set 电话=? where ID=1"_s, {DbParam::text(u"它's"_s)}));
    EXPECT_EQ(text(u"select 电话 from 客户资料 where ID=1"_s), u"它's"_s);
}

// A shop sends its log with a problem report: it must say what failed, in the engine's words,
// and must not carry what the cashier typed.
TEST_P(BothEngines, FaultsAreLoggedWithTheEngineMessageAndWithoutValues) {
    EventLog::open(folder.path());
    const auto closeLog = qScopeGuard([] { EventLog::close(); });
    EXPECT_FALSE(
        run(u"insert into [销售记录] (销售票号,销售时间,收银员) values "
            u"('秘密单号','秘密时间 12:00','张秘密')"_s));
    EXPECT_EQ(db.OpenTable(u"select 销售票号 from [销售记录] where 收银员='秘密收银员' and "
                           u"没有的列=#2024-01-02# and 金额 > 12.5"_s),
              0);
    EXPECT_FALSE(db.ExecuteSql(u"update 客户资料 set 电话=? where 没有的列=1"_s,
                               {DbParam::text(u"秘密电话"_s)}));
    QFile file(EventLog::path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    EXPECT_FALSE(log.contains(u"秘密"_s)) << log.toStdString();
    EXPECT_FALSE(log.contains(u"2024"_s)) << log.toStdString();
    EXPECT_FALSE(log.contains(u"12.5"_s)) << log.toStdString();
    const QStringList lines = log.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << log.toStdString();
    // The engine's words for each (the server names the value's type, the file its check).
    const QRegularExpression insertFault(GetParam() == Engine::File ? u"CHECK constraint failed"_s
                                                                    : u"invalid input syntax"_s);
    EXPECT_TRUE(lines[0].contains(insertFault)) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(
        u"statement: insert into [销售记录] (销售票号,销售时间,收银员) values (?,?,?)"_s))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(u"没有的列"_s)) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(u"where 收银员=? and 没有的列=? and 金额 > ?"_s))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(u"statement: update 客户资料 set 电话=? where 没有的列=?"_s))
        << lines[2].toStdString();
}

INSTANTIATE_TEST_SUITE_P(, BothEngines, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto& info) {
                             return info.param == Engine::File ? "File" : "Server";
                         });

}  // namespace
}  // namespace tillora::test
