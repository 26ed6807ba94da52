#include "data/till_login.h"

#include "data/odbcdb.h"
#include "data/postgres_driver.h"
#include "platform/till_settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tillora {

namespace {

constexpr char kDirectKey[] = "direct_login";
constexpr char kUserKey[] = "user";
const QString kFileName = QStringLiteral("tillora-login.conf");

}  // namespace

bool isServerDatabase(const ODBCDB& db) {
    QString connect = db.connectString();
    if (connect.startsWith(QStringLiteral("ODBC;"), Qt::CaseInsensitive)) {
        connect.remove(0, 5);
    }
    return PostgresDriver::isServerUrl(connect);
}

QString tillLoginPath() {
    return till_settings_file::path(kFileName);
}

TillLogin readTillLogin() {
    const QHash<QString, QString> values = till_settings_file::read(kFileName);
    TillLogin login;
    login.direct = values.value(QLatin1String(kDirectKey)) == QLatin1String("1");
    login.user = values.value(QLatin1String(kUserKey));
    return login;
}

QString tillLoginProblem() {
    const QFileInfo info(tillLoginPath());
    if (!info.exists()) {
        return {};
    }
    QString why;
    if (info.isDir()) {
        why = QStringLiteral("这个位置上是一个文件夹");
    } else if (!info.isFile()) {
        why = QStringLiteral("它不是普通文件");
    } else if (QFile file(info.filePath()); !file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("无法读取（%1）").arg(file.errorString());
    } else {
        return {};
    }
    return QStringLiteral(
               "本收银机的登录设置文件不能使用：\r\n%1\r\n%2，请把它移走或改名后再登录。")
        .arg(QDir::toNativeSeparators(info.absoluteFilePath()), why);
}

bool writeTillLogin(const TillLogin& login) {
    // A line break in a name would make a second line of its own; names never hold one.
    QString user = login.user;
    user.remove(u'\n').remove(u'\r');
    const QByteArray text = QByteArray("# 本收银机的直接登录，由 Tillora 写入\n") + kDirectKey +
                            (login.direct ? " = 1\n" : " = 0\n") + kUserKey + " = " +
                            user.toUtf8() + '\n';
    // Who logs in without a password is this till's owner's business alone.
    return till_settings_file::write(kFileName, text, true);
}

}  // namespace tillora
