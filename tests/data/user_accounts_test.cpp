#include "data/user_accounts.h"
#include "tests/data/fresh_database.h"

#include <gtest/gtest.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

class UserAccounts : public FreshDatabase {};

TEST_F(UserAccounts, ExactStatementTexts) {
    EXPECT_EQ(user_sql::listUsers(), u"select * from 用户登录"_s);
    EXPECT_EQ(user_sql::findUser(u"a"_s), u"select * from 用户登录 where  用户名='a'"_s);
    EXPECT_EQ(user_sql::addUser(u"a"_s, u"管理员"_s, u"d"_s),
              u"insert into [用户登录] (用户名,权限,密码 )values ('a','管理员','d')"_s);
    EXPECT_EQ(user_sql::changeUser(7, u"a"_s, u"d"_s, u"普通用户"_s),
              u"update 用户登录 set 用户名='a',密码='d',权限='普通用户' where ID=7"_s);
    EXPECT_EQ(user_sql::deleteUser(7), u"delete from 用户登录  where ID=7"_s);
    EXPECT_EQ(passwordDigest(QString()), u"d41d8cd98f00b204e9800998ecf8427e"_s);
}

// Names and permissions with quotes are stored as typed and reach no other row.
TEST_F(UserAccounts, QuotedValuesStayInTheirRow) {
    const QString evil = u"x', 权限='管理员' where 1=1; --"_s;
    ASSERT_TRUE(db.ExecuteSql(user_sql::addUser(evil, u"普通用户"_s, passwordDigest(evil))));
    bool ok = false;
    std::vector<UserAccount> users = readUserAccounts(db, user_sql::listUsers(), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[1].name, evil);
    EXPECT_EQ(users[1].permission, u"普通用户"_s);
    EXPECT_EQ(users[1].digest, passwordDigest(evil));

    ASSERT_TRUE(db.ExecuteSql(user_sql::changeUser(users[1].id, evil, u"d"_s, evil)));
    users = readUserAccounts(db);
    EXPECT_EQ(users[1].permission, evil);
    EXPECT_EQ(users[0].name, u"admin"_s);
    EXPECT_EQ(users[0].permission, u"管理员"_s);
    EXPECT_EQ(readUserAccounts(db, user_sql::findUser(evil)).size(), 1u);
    ASSERT_TRUE(db.ExecuteSql(user_sql::deleteUser(users[1].id)));
    EXPECT_EQ(readUserAccounts(db).size(), 1u);
}

TEST_F(UserAccounts, LastAdministrator) {
    const auto user = [](int id, const QString& permission) {
        return UserAccount{id, u"u"_s, permission, {}};
    };
    const std::vector<UserAccount> one = {user(1, u"管理员"_s), user(2, u"普通用户"_s),
                                          user(3, u"管理员 "_s)};
    EXPECT_TRUE(isLastAdministrator(one, 1));
    EXPECT_FALSE(isLastAdministrator(one, 2));
    EXPECT_FALSE(isLastAdministrator(one, 3));  // not an administrator: only the exact text is
    const std::vector<UserAccount> two = {user(1, u"管理员"_s), user(4, u"管理员"_s)};
    EXPECT_FALSE(isLastAdministrator(two, 1));
    EXPECT_FALSE(isLastAdministrator({}, 1));

    db.CloseDatabase();
    bool ok = true;
    EXPECT_TRUE(readUserAccounts(db, user_sql::listUsers(), &ok).empty());
    EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace tillora
