#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tillora {

QString ProgramFolder::executablePath() {
    QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    // A program file replaced while running keeps its old path with this mark.
    const QString deleted = QStringLiteral(" (deleted)");
    if (self.endsWith(deleted)) {
        self.chop(deleted.size());
    }
    if (!self.isEmpty()) {
        return self;
    }
    // No /proc (other systems): Qt knows it once the application object exists.
    const QString fromQt = QCoreApplication::applicationFilePath();
    return fromQt.isEmpty() ? fromQt : QFileInfo(fromQt).canonicalFilePath();
}

ProgramFolder::Parts ProgramFolder::split(const QString& exePath) {
    const qsizetype slash = exePath.lastIndexOf(u'/');
    if (slash < 0) {
        return {QString(), exePath};
    }
    return {slash == 0 ? QStringLiteral("/") : exePath.left(slash), exePath.mid(slash + 1)};
}

bool ProgramFolder::enter(const QString& folder) {
    return !folder.isEmpty() && QDir::setCurrent(folder);
}

QString ProgramFolder::filePath(const QString& folder, const QString& name) {
    if (folder.endsWith(u'/')) {
        return folder + name;
    }
    return folder + u'/' + name;
}

}  // namespace tillora
