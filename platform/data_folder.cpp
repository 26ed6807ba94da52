#include "platform/data_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/program_folder.h"

namespace tillora {

QString DataFolder::libraryFolder(const QString& programFolder) {
    // Relative to the executable, so that the installed files name no path of the build machine.
    return QDir::cleanPath(
        ProgramFolder::filePath(programFolder, QStringLiteral(TILLORA_INSTALLED_MODULE_FOLDER)));
}

bool DataFolder::installed(const QString& programFolder) {
    return !programFolder.isEmpty() && QFileInfo(libraryFolder(programFolder)).isDir();
}

QString DataFolder::userFolder() {
    // The generic location and a fixed name: the same folder whatever the executable is called.
    return ProgramFolder::filePath(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStringLiteral("tillora"));
}

QString DataFolder::forProgram(const QString& programFolder) {
    return installed(programFolder) ? userFolder() : programFolder;
}

QString DataFolder::current() {
    return forProgram(ProgramFolder::current().folder);
}

bool DataFolder::ensure(const QString& folder) {
    if (folder.isEmpty()) {
        return false;
    }
    const QFileInfo info(folder);
    if (info.isDir()) {
        return true;
    }
    const QString parent = info.absolutePath();
    if (!QDir().mkpath(parent)) {
        return false;
    }
    return QDir().mkdir(info.absoluteFilePath(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace tillora
