#include "platform/remembered_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include "platform/till_settings_file.h"

namespace tillora {

namespace {

const QString kFileName = QStringLiteral("tillora-folders.conf");

QString keyOf(const QString& kind) {
    return kind + QStringLiteral("_folder");
}

}  // namespace

QString RememberedFolder::documents() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        return folder;
    }
    return QDir::homePath();
}

QString RememberedFolder::start(const QString& kind) {
    const QString last = till_settings_file::read(kFileName).value(keyOf(kind));
    if (!last.isEmpty() && QFileInfo(last).isDir()) {
        return last;
    }
    return documents();
}

void RememberedFolder::remember(const QString& kind, const QString& chosenFile) {
    if (chosenFile.isEmpty()) {
        return;
    }
    QHash<QString, QString> values = till_settings_file::read(kFileName);
    values.insert(keyOf(kind), QFileInfo(chosenFile).absolutePath());
    QByteArray text("# 本收银机上次保存文件的文件夹，由 Tillora 写入\n");
    QStringList keys = values.keys();
    keys.sort();
    for (const QString& key : keys) {
        text += key.toUtf8() + " = " + values.value(key).toUtf8() + '\n';
    }
    // Folder names say where the owner keeps files: for the owner alone.
    till_settings_file::write(kFileName, text, true);
}

}  // namespace tillora
