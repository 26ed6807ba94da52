// After a commit the database file alone holds every committed change: a copy of it taken
// beside an open connection is complete, and the journal left behind can never be replayed.
#include "data/odbcdb.h"
#include "tests/data/fresh_database.h"
#include "tests/support/temp_program_folder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

TEST_F(FreshDatabase, CommittedFileAloneIsACompleteCopy) {
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(db.ExecuteSql(u"insert into 付款方式 (方式) values ('礼券')"_s));
    db.CommitTrans();
    ASSERT_TRUE(db.ExecuteSql(u"insert into 付款方式 (方式) values ('积分')"_s));

    // Whatever journal stays beside the file is empty: nothing in it to roll back.
    const QString journal = path + u"-journal"_s;
    if (QFile::exists(journal)) {
        EXPECT_EQ(QFileInfo(journal).size(), 0);
    }

    test::TempProgramFolder other;
    const QString copy = other.file(u"Zeb.mdb"_s);
    ASSERT_TRUE(QFile::copy(path, copy));
    ODBCDB reader;
    ASSERT_TRUE(reader.OpenMdbDatabase(copy));
    const int h =
        reader.OpenTable(u"select count(*) from 付款方式 where 方式 in ('礼券', '积分')"_s);
    EXPECT_EQ(reader.ReadColByIndex(h, 1).toInt(), 2);
    reader.CloseTable(h);

    // A rolled-back change leaves the file as it was and the journal empty again.
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(db.ExecuteSql(u"delete from 付款方式"_s));
    ASSERT_TRUE(db.RollbackTrans());
    EXPECT_EQ(number(u"select count(*) from 付款方式"_s), 8);
    if (QFile::exists(journal)) {
        EXPECT_EQ(QFileInfo(journal).size(), 0);
    }
}

}  // namespace
}  // namespace tillora
