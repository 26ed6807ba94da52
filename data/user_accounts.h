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

// True for text that only makes sense as an attempt to break out of an SQL string. The password
// is never part of any statement (only its digest is compared, here), so the rule is kept narrow
// and never refuses an ordinary password; it catches the classic forms:
//  - a quote followed by OR/AND and a blank, quote, digit or "(" ("' or '1'='1", "'OR 1=1");
//  - a quote followed by a comment ("admin'--", "x'/*");
//  - ";" followed by a statement keyword ("; drop table", ";delete from");
//  - UNION [ALL] SELECT.
// Letter case and blanks between the parts don't matter. The login refuses such a password, so
// the user dialogs refuse to store one: that user could never log in.
bool containsInjectionText(const QString& password);

namespace user_text {
// The login's refusal of such a password.
inline QString injection() {
    return QStringLiteral("密码里存在注入语句!");
}
}  // namespace user_text

// The users of a list statement in the order the database returns them; empty when the statement
// fails (ok, when given, tells the two apart).
std::vector<UserAccount> readUserAccounts(ODBCDB& db,
                                          const QString& statement = user_sql::listUsers(),
                                          bool* ok = nullptr);

// True when the user `id` is an administrator and no other user is: losing that user's rights
// would leave nobody who can manage users or delete sales.
bool isLastAdministrator(const std::vector<UserAccount>& users, int id);

}  // namespace tillora
