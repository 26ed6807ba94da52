#include "data/jet_dialect.h"
#include "platform/jet_date.h"
#include "tests/data/fresh_database.h"

#include <gtest/gtest.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

TEST(IdentifierBrackets, ReplacedOnlyOutsideLiterals) {
    const struct {
        QString in, out;
    } cases[] = {
        {u"select * from [配置文件] where [ID]=1"_s,
         u"select * from \"配置文件\" where \"ID\"=1"_s},
        {u"select * from t where a like '%[x]%'"_s, u"select * from t where a like '%[x]%'"_s},
        {u"select [[a]] from t"_s, u"select [a] from t"_s},
        // A doubled quote stays inside the literal; the bracket after it is still inside.
        {u"update t set a='O''[B]' where [b]=1"_s, u"update t set a='O''[B]' where \"b\"=1"_s},
        {u"select '' , [x]"_s, u"select '' , \"x\""_s},
        // A quote inside a bracketed name neither opens a literal nor ends the name.
        {u"select [it's] from t where a='[b]'"_s, u"select \"it's\" from t where a='[b]'"_s},
        {u"select [a\"b], [c]]d] from t"_s, u"select \"a\"\"b\", \"c]d\" from t"_s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(translateJetSql(c.in), c.out) << c.in.toStdString();
    }
}

TEST(JetTranslation, DatesTopAndLiterals) {
    const QString day =
        QString::number(jetDayFromDateTime(QDateTime(QDate(2016, 8, 18), QTime(0, 0))), 'g', 17);
    const QString next =
        QString::number(jetDayFromDateTime(QDateTime(QDate(2016, 8, 19), QTime(0, 0))), 'g', 17);
    const QString evening = QString::number(
        jetDayFromDateTime(QDateTime(QDate(2016, 8, 18), QTime(20, 55, 36))), 'g', 17);
    const struct {
        QString in, out;
    } cases[] = {
        {u"select * from \"销售记录\" where \"销售时间\" between #2016-08-18  00:00:00# and #2016-08-19# order by \"销售时间\" desc"_s,
         u"select * from \"销售记录\" where \"销售时间\" between "_s + day + u" and "_s + next +
             u" order by \"销售时间\" desc"_s},
        {u"select * from t where d=#2016/8/18 20:55:36#"_s,
         u"select * from t where d="_s + evening},
        {u"select * from t where d=#8/18/2016 8:55:36 PM#"_s,
         u"select * from t where d="_s + evening},
        {u"select top 1 ID from \"销售记录\" order by ID desc"_s,
         u"select  ID from \"销售记录\" order by ID desc limit 1"_s},
        {u"SELECT TOP 5 * FROM t;"_s, u"SELECT  * FROM t limit 5"_s},
        // Inside literals and quoted names nothing changes.
        {u"select * from t where a='#2016-08-18# top 1' and \"top 2\"=1"_s,
         u"select * from t where a='#2016-08-18# top 1' and \"top 2\"=1"_s},
        {u"select * from t where a='it''s #1#'"_s, u"select * from t where a='it''s #1#'"_s},
        // A word "top" that is not select's top stays.
        {u"select top from t"_s, u"select top from t"_s},
        // A date Jet cannot read stays, so the statement fails.
        {u"select * from t where d=#2016-02-30#"_s, u"select * from t where d=#2016-02-30#"_s},
        {u"select * from 配置文件 where 1"_s, u"select * from 配置文件 where 1"_s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(translateJetSql(c.in), c.out) << c.in.toStdString();
    }
}

TEST_F(FreshDatabase, TextComparesAsJet) {
    ASSERT_TRUE(db.ExecuteSql(u"insert into [客户资料] (姓名,电话 )values ('Ärger','x')"_s));
    ASSERT_TRUE(db.ExecuteSql(u"insert into [客户资料] (姓名,电话 )values ('王_五%','y')"_s));
    const struct {
        QString where;
        int count;
    } cases[] = {
        {u"用户名='ADMIN '"_s, 1},  // = ignores case and trailing blanks
        {u"用户名=' admin'"_s, 0},  // but not leading ones
        {u"用户名 like 'ADM%'"_s, 1},
        {u"用户名 like 'admin '"_s, 0},  // like keeps trailing blanks
        {u"用户名 like 'adm_n'"_s, 1},
        {u"用户名 like '%%'"_s, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(number(u"select count(*) from 用户登录 where "_s + c.where), c.count)
            << c.where.toStdString();
    }
    const struct {
        QString where;
        int count;
    } customers[] = {
        {u"姓名='ärger'"_s, 1},  // case beyond ASCII
        {u"姓名 like 'äR%'"_s, 1},
        {u"姓名 like '%三%'"_s, 1},
        {u"姓名 like '王%'"_s, 1},
        {u"姓名 like '王_五%'"_s, 1},
        {u"姓名 like '_'"_s, 0},
        {u"姓名 like '__'"_s, 2},  // 张三, 李四: one character each, not bytes
        {u"姓名 like '%[%'"_s, 0},
    };
    for (const auto& c : customers) {
        EXPECT_EQ(number(u"select count(*) from 客户资料 where "_s + c.where), c.count)
            << c.where.toStdString();
    }
}

}  // namespace
}  // namespace tillora
