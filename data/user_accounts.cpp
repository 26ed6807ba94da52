#include "data/user_accounts.h"

#include "data/sql_text.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace tillora {

namespace user_sql {

QString listUsers() {
    return QStringLiteral("select * from 用户登录");
}

QString findUser(const QString& name) {
    return QStringLiteral("select * from 用户登录 where  用户名='") + sqlText(name) +
           QStringLiteral("'");
}

QString addUser(const QString& name, const QString& permission, const QString& digest) {
    return QStringLiteral("insert into [用户登录] (用户名,权限,密码 )values ('") + sqlText(name) +
           QStringLiteral("','") + sqlText(permission) + QStringLiteral("','") + sqlText(digest) +
           QStringLiteral("')");
}

QString changeUser(int id, const QString& name, const QString& digest, const QString& permission) {
    return QStringLiteral("update 用户登录 set 用户名='") + sqlText(name) +
           QStringLiteral("',密码='") + sqlText(digest) + QStringLiteral("',权限='") +
           sqlText(permission) + QStringLiteral("' where ID=") + QString::number(id);
}

QString deleteUser(int id) {
    return QStringLiteral("delete from 用户登录  where ID=") + QString::number(id);
}

}  // namespace user_sql

QString passwordDigest(const QString& password) {
    return QString::fromLatin1(
        QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex());
}

std::vector<UserAccount> readUserAccounts(ODBCDB& db, const QString& statement, bool* ok) {
    std::vector<UserAccount> users;
    const int h = db.OpenTable(statement);
    if (ok != nullptr) {
        *ok = h != 0;
    }
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        users.push_back({db.ReadColByName(h, QStringLiteral("ID")).toInt(),
                         db.ReadColByName(h, QStringLiteral("用户名")).toText(),
                         db.ReadColByName(h, QStringLiteral("权限")).toText(),
                         db.ReadColByName(h, QStringLiteral("密码")).toText()});
    }
    db.CloseTable(h);
    return users;
}

bool isLastAdministrator(const std::vector<UserAccount>& users, int id) {
    bool isAdministrator = false;
    for (const UserAccount& u : users) {
        if (u.permission == user_permission::administrator()) {
            if (u.id != id) {
                return false;
            }
            isAdministrator = true;
        }
    }
    return isAdministrator;
}

bool containsInjectionText(const QString& password) {
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral(R"('\s*(or|and)[\s'"(0-9])"),
                           QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"('\s*(--|/\*))")),
        QRegularExpression(
            QStringLiteral(
                R"(;\s*(drop|delete|insert|update|select|alter|create|exec|truncate)\b)"),
            QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"(\bunion\s+(all\s+)?select\b)"),
                           QRegularExpression::CaseInsensitiveOption),
    };
    for (const QRegularExpression& pattern : patterns) {
        if (pattern.match(password).hasMatch()) {
            return true;
        }
    }
    return false;
}

}  // namespace tillora
