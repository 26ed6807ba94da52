#include "data/server_config.h"

#include <QFile>
#include <QUrl>

namespace tillora {

QString serverConfigPath(const QString& programFolder) {
    return programFolder + QStringLiteral("/tillora.conf");
}

QString configuredServerUrl(const QString& programFolder) {
    QFile file(serverConfigPath(programFolder));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QString url;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 &&
            line.left(eq).trimmed().compare(QStringLiteral("database"), Qt::CaseInsensitive) == 0) {
            url = line.mid(eq + 1).trimmed();
        }
    }
    return url;
}

QString serverHost(const QString& url) {
    const QUrl u(url);
    const QString host = u.host();
    if (host.isEmpty()) {
        return QStringLiteral("localhost");
    }
    return u.port() > 0 ? host + u':' + QString::number(u.port()) : host;
}

QString serverDatabaseName(const QString& url) {
    QString path = QUrl(url).path();
    if (path.startsWith(u'/')) {
        path.remove(0, 1);
    }
    return path;
}

}  // namespace tillora
