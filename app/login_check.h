#pragma once

#include "data/odbcdb.h"
#include "data/user_accounts.h"

#include <QString>

namespace tillora {

// The login's messages, as the user sees them.
namespace login_text {
inline QString emptyName() {
    return QStringLiteral("用户名不能为空！");
}
inline QString injection() {
    return user_text::injection();
}
inline QString wrongPassword() {
    return QStringLiteral("请输入正确的密码！");
}
inline QString queryFailed() {
    return QStringLiteral("查询失败！");
}
inline QString storeFailed() {
    return QStringLiteral("数据执行失败！！");
}
}  // namespace login_text

// Statements on 用户登录; names go through sqlText().
namespace login_sql {
// The login's lookup.
QString selectUser(const QString& userName);
// The lookup by name used at start-up (two blanks before 用户名).
QString findUser(const QString& userName);
QString listUsers();
}  // namespace login_sql

// A row of 用户登录 as the login needs it.
struct StoredUser {
    QString userName;    // 用户名 as stored (the database's compare may have matched other case)
    QString permission;  // 权限
    QString digest;      // 密码
};

enum class UserLookup { Found, NotFound, Failed };

// Runs a lookup statement and reads the first row (the first of several users of one name).
UserLookup lookUpUser(ODBCDB& db, const QString& statement, StoredUser* out);

// The checks of the 登录 button, in order; the first that fails decides.
struct LoginCheck {
    enum class Outcome { Accepted, EmptyName, InjectionText, QueryFailed, WrongPassword };
    Outcome outcome = Outcome::WrongPassword;
    StoredUser user;  // filled when accepted

    bool accepted() const { return outcome == Outcome::Accepted; }
    // The message for a refusal; empty when accepted.
    QString message() const;
};

LoginCheck checkLogin(ODBCDB& db, const QString& typedName, const QString& password);

// Remembers a successful login in the settings record: the user's name, and the wish to log in
// directly next time. The direct-login switch is written only after the name is stored, so that a
// failed name update can never let the next start in as whoever was remembered before. False when
// a statement failed (the caller says so; the login itself stands).
bool storeLogin(ODBCDB& db, const QString& userName, bool directNextTime);

}  // namespace tillora
