#include "app/login_check.h"

#include "data/settings_record.h"
#include "data/sql_text.h"
#include "data/till_login.h"

namespace tillora {

namespace login_sql {

QString selectUser(const QString& userName) {
    return QStringLiteral("select * from 用户登录 where 用户名='") + sqlText(userName) +
           QStringLiteral("'");
}

QString findUser(const QString& userName) {
    return user_sql::findUser(userName);
}

QString listUsers() {
    return user_sql::listUsers();
}

}  // namespace login_sql

UserLookup lookUpUser(ODBCDB& db, const QString& statement, StoredUser* out) {
    const int handle = db.OpenTable(statement);
    if (handle == 0) {
        return UserLookup::Failed;
    }
    UserLookup result = UserLookup::NotFound;
    if (!db.IsEOF(handle)) {
        out->userName = db.ReadColByName(handle, QStringLiteral("用户名")).toText();
        out->permission = db.ReadColByName(handle, QStringLiteral("权限")).toText();
        out->digest = db.ReadColByName(handle, QStringLiteral("密码")).toText();
        result = UserLookup::Found;
    }
    db.CloseTable(handle);
    return result;
}

QString LoginCheck::message() const {
    switch (outcome) {
        case Outcome::Accepted:
            return {};
        case Outcome::EmptyName:
            return login_text::emptyName();
        case Outcome::InjectionText:
            return login_text::injection();
        case Outcome::QueryFailed:
            return login_text::queryFailed();
        case Outcome::WrongPassword:
            break;
    }
    return login_text::wrongPassword();
}

LoginCheck checkLogin(ODBCDB& db, const QString& typedName, const QString& password) {
    LoginCheck check;
    if (typedName.isEmpty()) {
        check.outcome = LoginCheck::Outcome::EmptyName;
        return check;
    }
    if (containsInjectionText(password)) {
        check.outcome = LoginCheck::Outcome::InjectionText;
        return check;
    }
    StoredUser user;
    switch (lookUpUser(db, login_sql::selectUser(typedName), &user)) {
        case UserLookup::Failed:
            check.outcome = LoginCheck::Outcome::QueryFailed;
            return check;
        case UserLookup::NotFound:
            check.outcome = LoginCheck::Outcome::WrongPassword;
            return check;
        case UserLookup::Found:
            break;
    }
    if (passwordDigest(password) != user.digest) {
        check.outcome = LoginCheck::Outcome::WrongPassword;
        return check;
    }
    check.outcome = LoginCheck::Outcome::Accepted;
    check.user = user;
    return check;
}

bool storeLogin(ODBCDB& db, const QString& userName, bool directNextTime) {
    if (isServerDatabase(db)) {
        TillLogin login = readTillLogin();
        login.user = userName;
        login.direct = login.direct || directNextTime;
        return writeTillLogin(login);
    }
    if (!db.ExecuteSql(settings_sql::updateLastUser(userName))) {
        return false;
    }
    return !directNextTime || db.ExecuteSql(settings_sql::updateDirectLogin(true));
}

}  // namespace tillora
