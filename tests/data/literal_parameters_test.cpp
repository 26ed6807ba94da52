#include "data/literal_parameters.h"
#include "tests/data/fresh_database.h"

#include <gtest/gtest.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

TEST(LiteralParameters, ListItemsBecomeParameters) {
    const auto split = splitLiteralParameters(
        u"insert into \"销售详情\" (关联,名称,数量 ) values ('7','店''s 货 ', 5, now(),' ' )"_s);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->shape,
              u"insert into \"销售详情\" (关联,名称,数量 ) values (?,?, 5, now(),? )"_s);
    EXPECT_EQ(split->texts, (QStringList{u"7"_s, u"店's 货 "_s, u" "_s}));

    // A literal inside an expression stays in the statement; the list items around it still go.
    const auto mixed =
        splitLiteralParameters(u"INSERT INTO t (a,b,c) VALUES ('x' || 'y', 'z', upper('w'))"_s);
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->shape, u"INSERT INTO t (a,b,c) VALUES ('x' || 'y', ?, upper(?))"_s);
    EXPECT_EQ(mixed->texts, (QStringList{u"z"_s, u"w"_s}));

    // Bracketed names stay for the engine to translate with the shape.
    const auto bracketed = splitLiteralParameters(u"insert into [t] ([a's]) values ('x')"_s);
    ASSERT_TRUE(bracketed);
    EXPECT_EQ(bracketed->shape, u"insert into [t] ([a's]) values (?)"_s);
    EXPECT_EQ(bracketed->texts, QStringList{u"x"_s});
}

TEST(LiteralParameters, AnythingUncertainIsLeftWhole) {
    const QString untouched[] = {
        u"select * from t where a in ('x','y')"_s,                // not an insert
        u"update t set a='x' where b in ('y')"_s,                 // not an insert
        u"insert into t (a) values (x'41')"_s,                    // a blob literal
        u"insert into t (a) select 'x'"_s,                        // no list item
        u"insert into t (a,b) values ('x', #2024-01-02#)"_s,      // a date literal
        u"insert into t (a,b) values ('x', ?)"_s,                 // a parameter already
        u"insert into t (a) values ('x') -- ')"_s,                // a comment
        u"insert into t (a) values ('x') /* ' */"_s,              // a comment
        u"insert into `t` (a) values ('x')"_s,                    // other quoting
        u"insert into [t (a) values ('x')"_s,                     // an open name
        u"insert into t (a) values ('x)"_s,                       // an open literal
        u"insert into t (a) values ('x"_s + QChar(0) + u"y')"_s,  // NUL in a literal
    };
    for (const QString& sql : untouched) {
        EXPECT_FALSE(splitLiteralParameters(sql)) << sql.toStdString();
    }
}

// Rows inserted by shape against the same rows written with literals the engine parses
// ("select" rows are never split): what is stored, and its storage class, must be the same.
TEST_F(FreshDatabase, InsertByShapeStoresWhatTheLiteralsSay) {
    const QString sale = text(u"select ID from 销售记录 limit 1"_s);
    ASSERT_FALSE(sale.isEmpty());
    const QStringList values[] = {
        {sale, u"甲'乙"_s, u"2.50"_s, u"0010"_s},
        {sale, u" 前后有空格 "_s, u"abc"_s, u""_s},
        {sale, u"换行\r\n制表\t"_s, u"-3"_s, u"1e3"_s},
    };
    for (const QStringList& v : values) {
        QStringList quoted;
        for (const QString& s : v) {
            quoted.append(u"'"_s + QString(s).replace(u"'"_s, u"''"_s) + u"'"_s);
        }
        const QString columns = u"insert into [销售详情] (关联,名称,数量,单价 ) "_s;
        ASSERT_TRUE(db.ExecuteSql(columns + u"values ("_s + quoted.join(u',') + u")"_s));
        ASSERT_TRUE(db.ExecuteSql(columns + u"select "_s + quoted.join(u',')));
        const QString row = u"typeof(名称)||名称||typeof(数量)||数量||typeof(单价)||单价"_s;
        EXPECT_EQ(text(u"select "_s + row + u" from 销售详情 order by ID desc limit 1 offset 1"_s),
                  text(u"select "_s + row + u" from 销售详情 order by ID desc limit 1"_s));
    }
}

TEST_F(FreshDatabase, InsertByShapeReportsFaultsAndCarriesOn) {
    const auto sale = [&](const QString& number) {
        return db.ExecuteSql(
            u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) "
            "values ('"_s +
            number + u"',now(),'1','1.00','admin',' ')"_s);
    };
    const int before = number(u"select count(*) from 销售记录"_s);
    ASSERT_TRUE(sale(u"0001"_s));
    EXPECT_FALSE(sale(u"0001"_s));
    EXPECT_EQ(db.lastFault(), DbFault::Duplicate);
    EXPECT_FALSE(sale(QString(51, u'9')));  // longer than the column holds
    EXPECT_TRUE(sale(u"0002"_s));
    EXPECT_EQ(number(u"select count(*) from 销售记录"_s), before + 2);
    const QString id = text(u"select ID from 销售记录 where 销售票号='0002'"_s);

    // More shapes than are kept, then the first again: each still runs.
    for (int i = 0; i < 40; ++i) {
        const QString extra = QString(i, u' ');
        ASSERT_TRUE(db.ExecuteSql(u"insert into [销售详情] (关联,名称"_s + extra +
                                  u") values ('"_s + id + u"','n')"_s));
    }
    EXPECT_TRUE(sale(u"0003"_s));

    // A kept statement holds no lock: another connection can write at once.
    ODBCDB other;
    ASSERT_TRUE(other.OpenMdbDatabase(path));
    EXPECT_TRUE(other.ExecuteSql(u"delete from 销售详情"_s));
    EXPECT_EQ(number(u"select count(*) from 销售详情"_s), 0);
}

}  // namespace
}  // namespace tillora
