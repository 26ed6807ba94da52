#include "data/till_login.h"

#include "data/odbcdb.h"
#include "data/postgres_driver.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tillora {

namespace {

constexpr char kDirectKey[] = "direct_login";
constexpr char kUserKey[] = "user";

}  // namespace

bool isServerDatabase(const ODBCDB& db) {
    QString connect = db.connectString();
    if (connect.startsWith(QStringLiteral("ODBC;"), Qt::CaseInsensitive)) {
        connect.remove(0, 5);
    }
    return PostgresDriver::isServerUrl(connect);
}

QString tillLoginPath() {
    return QDir::current().filePath(QStringLiteral("tillora-login.conf"));
}

TillLogin readTillLogin() {
    TillLogin login;
    QFile file(tillLoginPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return login;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u'#') || eq <= 0) {
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String(kDirectKey)) {
            login.direct = value == QLatin1String("1");
        } else if (key == QLatin1String(kUserKey)) {
            login.user = value;
        }
    }
    return login;
}

bool writeTillLogin(const TillLogin& login) {
    QSaveFile file(tillLoginPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    // A line break in a name would make a second line of its own; names never hold one.
    QString user = login.user;
    user.remove(u'\n').remove(u'\r');
    const QByteArray text = QByteArray("# 本收银机的直接登录，由 Tillora 写入\n") + kDirectKey +
                            (login.direct ? " = 1\n" : " = 0\n") + kUserKey + " = " +
                            user.toUtf8() + '\n';
    // Who logs in without a password is this till's owner's business alone.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(text) != text.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace tillora
