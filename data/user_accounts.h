#pragma once

#include "data/odbcdb.h"

#include <QString>

#include <vector>

namespace tillora {

// A row of 用户登录.
struct UserAccount {
    int id = 0;          // ID
    QString name;        // 用户名
    QString permission;  // 权限: "管理员" or "普通用户"
    QString digest;      // 密码: the password's digest, never the password
};

namespace user_permission {
// Only this exact text makes an administrator; any other permission is an ordinary user.
inline QString administrator() {
    return QStringLiteral("管理员");
}
inline QString ordinary() {
    return QStringLiteral("普通用户");
}
}  // namespace user_permission

// The exact statements on 用户登录; names, permissions and digests go through sqlText().
namespace user_sql {

QString listUsers();
// The lookup by name (two blanks before 用户名).
QString findUser(const QString& name);
QString addUser(const QString& name, const QString& permission, const QString& digest);
QString changeUser(int id, const QString& name, const QString& digest, const QString& permission);
// Two blanks before where.
QString deleteUser(int id);

}  // namespace user_sql

// The stored form of a password: its MD5 digest as 32 lowercase hexadecimal digits.
QString passwordDigest(const QString& password);

// The users of a list statement in the order the database returns them; empty when the statement
// fails (ok, when given, tells the two apart).
std::vector<UserAccount> readUserAccounts(ODBCDB& db,
                                          const QString& statement = user_sql::listUsers(),
                                          bool* ok = nullptr);

// True when the user `id` is an administrator and no other user is: losing that user's rights
// would leave nobody who can manage users or delete sales.
bool isLastAdministrator(const std::vector<UserAccount>& users, int id);

}  // namespace tillora
