// The trail of changes: each change stores its row with the right user in its own transaction,
// and an older file gets the table at start only after a verified backup.
#include "data/operation_trail.h"
#include "data/backup_folder.h"
#include "data/current_user.h"
#include "data/master_changes.h"
#include "data/server_setup.h"
#include "tests/data/fresh_database.h"
#include "tests/support/test_server.h"

#include <QDir>
#include <QFile>

#include <functional>

#include <sqlite3.h>

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

class Trail : public FreshDatabase {
  protected:
    void SetUp() override {
        FreshDatabase::SetUp();
        CurrentUser::forget();
        CurrentUser::create(u"店长"_s, CurrentUser::administratorPermission());
    }
    void TearDown() override { CurrentUser::forget(); }
    int rows() { return number(u"select count(*) from 操作记录"_s); }
    QString last(const char* column) {
        return text(u"select "_s + QString::fromUtf8(column) +
                    u" from 操作记录 order by ID desc"_s);
    }
};

TEST_F(Trail, EveryMasterChangeWritesItsRowWithTheUser) {
    const int product = number(u"select min(ID) from 商品名称"_s);
    const int method = number(u"select min(ID) from 付款方式"_s);
    ASSERT_TRUE(master_change::addCustomer(db, u"王五"_s, u"123"_s));
    const int customer = number(u"select max(ID) from 客户资料"_s);
    const QString oldPrice =
        text(u"select 单价 from 商品名称 where ID="_s + QString::number(product));
    struct Case {
        const char* action;
        std::function<bool()> change;
        QString before;  // a piece the 之前 text must hold
        QString after;
    };
    const Case cases[] = {
        {"修改商品名称",
         [&] { return master_change::changeProduct(db, product, u"可乐"_s, u"9.50"_s); }, oldPrice,
         u"9.50"_s},
        {"增加付款方式",
         [&] { return master_change::addPaymentMethod(db, u"微信"_s); },
         {},
         u"微信"_s},
        {"删除付款方式", [&] { return master_change::deletePaymentMethod(db, method); }, u""_s, {}},
        {"修改客户资料",
         [&] { return master_change::changeCustomer(db, customer, u"王五"_s, u"456"_s); }, u"123"_s,
         u"456"_s},
        {"删除商品名称", [&] { return master_change::deleteProduct(db, product); }, u"9.50"_s, {}},
    };
    for (const Case& c : cases) {
        const int before = rows();
        ASSERT_TRUE(c.change()) << c.action;
        EXPECT_EQ(rows(), before + 1) << c.action;
        EXPECT_EQ(last("操作"), QString::fromUtf8(c.action));
        EXPECT_EQ(last("用户"), u"店长"_s);
        EXPECT_TRUE(last("之前").contains(c.before)) << c.action;
        EXPECT_TRUE(last("之后").contains(c.after)) << c.action;
        EXPECT_FALSE(last("收银台").isEmpty());
    }
}

TEST_F(Trail, UserChangeSaysPasswordChangedButNeverHoldsIt) {
    ASSERT_TRUE(master_change::addUser(db, u"小李"_s, u"普通用户"_s, passwordDigest(u"secret"_s)));
    const UserAccount user{number(u"select max(ID) from 用户登录"_s), u"小李"_s, u"普通用户"_s,
                           passwordDigest(u"secret"_s)};
    ASSERT_TRUE(master_change::changeUser(db, user, user.name, passwordDigest(u"other"_s),
                                          user.permission));
    EXPECT_TRUE(last("之后").contains(u"密码已修改"_s));
    EXPECT_EQ(
        number(u"select count(*) from 操作记录 where 之前 like '%"_s + passwordDigest(u"secret"_s) +
               u"%' or 之后 like '%"_s + passwordDigest(u"other"_s) + u"%'"_s),
        0);
}

// A change whose trail row can't be stored is not stored either, and the other way round.
TEST_F(Trail, ChangeAndRowAreStoredTogetherOrNotAtAll) {
    const int products = number(u"select count(*) from 商品名称"_s);
    ASSERT_TRUE(
        db.ExecuteSql(u"create trigger no_trail before insert on 操作记录 "
                      u"begin select raise(abort, 'full'); end"_s));
    EXPECT_FALSE(master_change::addProduct(db, u"新品"_s, u"1.00"_s));
    EXPECT_EQ(number(u"select count(*) from 商品名称"_s), products);
    ASSERT_TRUE(db.ExecuteSql(u"drop trigger no_trail"_s));

    const int before = rows();
    ASSERT_TRUE(
        db.ExecuteSql(u"create trigger no_change before insert on 商品名称 "
                      u"begin select raise(abort, 'full'); end"_s));
    EXPECT_FALSE(master_change::addProduct(db, u"新品"_s, u"1.00"_s));
    EXPECT_EQ(rows(), before);
    EXPECT_FALSE(db.inTransaction());
}

// A file from before the trail works on without it; the change is still stored.
TEST_F(Trail, FileWithoutTheTableStoresChangesWithoutRows) {
    ASSERT_TRUE(db.ExecuteSql(u"drop table 操作记录"_s));
    EXPECT_FALSE(operation_trail::present(db));
    EXPECT_TRUE(master_change::addPaymentMethod(db, u"礼券"_s));
    EXPECT_EQ(number(u"select count(*) from 付款方式 where 方式='礼券'"_s), 1);
}

TEST_F(Trail, OldFileGetsTheTableAfterAVerifiedBackup) {
    ASSERT_TRUE(db.ExecuteSql(u"drop table 操作记录"_s));
    db.CloseDatabase();
    const DatabaseHealth health = checkProgramDatabase(db, path);
    ASSERT_EQ(health.fault, DbFault::None);
    EXPECT_TRUE(health.upgradeProblem.isEmpty()) << health.upgradeProblem.toStdString();
    EXPECT_TRUE(operation_trail::present(db));
    // The backup is the file before the upgrade: without the table.
    const QString backup = backup_folder::newest(path, QDateTime::currentDateTime());
    ASSERT_FALSE(backup.isEmpty());
    ODBCDB copy;
    ASSERT_TRUE(copy.OpenMdbDatabase(backup));
    EXPECT_FALSE(operation_trail::present(copy));
}

TEST_F(Trail, LongTextIsCutAndQuotesStayText) {
    const QString longName = QString(300, u'甲') + u"'x"_s;
    ASSERT_TRUE(operation_trail::note(db, {u"测试"_s, longName, longName, {}, {}}));
    EXPECT_EQ(last("对象").size(), operation_trail::kTextLimit);
}

}  // namespace
}  // namespace tillora::test

namespace tillora::test {
namespace {

// The copy carries the file's rows; a server without the table gets it at start.
TEST_F(Trail, IsCopiedToTheServerAndWrittenThere) {
    TILLORA_NEED_TEST_SERVER();
    ASSERT_TRUE(master_change::addPaymentMethod(db, u"礼券"_s));
    db.CloseDatabase();
    TestServerSchema schema(false);
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ASSERT_TRUE(copyFileToServer(path, schema.url()).ok);
    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    EXPECT_EQ(firstText(server, u"select 之后 from 操作记录"_s), u"礼券"_s);
    ASSERT_TRUE(server.ExecuteSql(u"drop table 操作记录"_s));
    server.CloseDatabase();

    struct Silent : DatabasePrompts {
        bool askYesNo(const QString&) override { return false; }
        void tell(const QString&) override {}
    } prompts;
    ASSERT_TRUE(openServerDatabase(server, schema.url(), prompts));
    ASSERT_TRUE(master_change::addCustomer(server, u"O'Neil"_s, u"1"_s));
    EXPECT_EQ(firstText(server, u"select 之后 from 操作记录"_s), u"O'Neil，1"_s);
    EXPECT_EQ(firstText(server, u"select 用户 from 操作记录"_s), u"店长"_s);
}

}  // namespace
}  // namespace tillora::test
