#include "tests/data/fresh_database.h"

#include <gtest/gtest.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

// A query the connection keeps prepared reads the data as it is at each run, fails where the
// table went, holds no lock between runs, and works again once the table is back.
TEST_F(FreshDatabase, AKeptQueryReadsWhatIsThereEachTime) {
    const QString count = u"select count(*) from 客户资料"_s;
    const int before = number(count);
    ASSERT_TRUE(db.ExecuteSql(u"insert into [客户资料] (姓名,电话 ) values ('张三','123')"_s));
    EXPECT_EQ(number(count), before + 1);

    ODBCDB other;
    ASSERT_TRUE(other.OpenMdbDatabase(path));
    ASSERT_TRUE(other.BeginTrans());  // takes the write lock: nobody else may be reading
    ASSERT_TRUE(other.ExecuteSql(u"delete from 客户资料"_s));
    ASSERT_TRUE(other.tryCommitTrans());
    EXPECT_EQ(number(count), 0);

    ASSERT_TRUE(db.ExecuteSql(u"alter table 客户资料 rename to 客户旧"_s));
    EXPECT_EQ(db.OpenTable(count), 0);
    ASSERT_TRUE(db.ExecuteSql(u"alter table 客户旧 rename to 客户资料"_s));
    EXPECT_EQ(number(count), 0);
}

}  // namespace
}  // namespace tillora
