#include "platform/till_settings_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tillora::till_settings_file {

QString path(const QString& fileName) {
    return QDir::current().filePath(fileName);
}

QHash<QString, QString> read(const QString& fileName) {
    QHash<QString, QString> values;
    QFile file(path(fileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return values;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u'#') || eq <= 0) {
            continue;
        }
        values.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return values;
}

bool write(const QString& fileName, const QByteArray& text, bool ownerOnly) {
    QSaveFile file(path(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    if (ownerOnly) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (file.write(text) != text.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace tillora::till_settings_file
