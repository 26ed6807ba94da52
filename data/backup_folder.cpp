#include "data/backup_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace tillora::backup_folder {

namespace {

QRegularExpression namePattern(const QString& databasePath) {
    const QFileInfo db(databasePath);
    return QRegularExpression(
        QStringLiteral("^") + QRegularExpression::escape(db.completeBaseName()) +
        QStringLiteral("-((\\d{8})-\\d{6})(?:-(\\d+))?") +
        QRegularExpression::escape(db.suffix().isEmpty() ? QString()
                                                         : QStringLiteral(".") + db.suffix()) +
        QStringLiteral("$"));
}

}  // namespace

QString folderFor(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString fileFor(const QString& databasePath, const QDateTime& when) {
    const QFileInfo db(databasePath);
    const QString suffix = db.suffix().isEmpty() ? QString() : QStringLiteral(".") + db.suffix();
    const QString stem = QDir(folderFor(databasePath))
                             .filePath(db.completeBaseName() + QLatin1Char('-') +
                                       when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString file = stem + suffix;
    for (int n = 2; QFile::exists(file); ++n) {
        file = stem + QLatin1Char('-') + QString::number(n) + suffix;
    }
    return file;
}

QStringList files(const QString& databasePath) {
    const QDir dir(folderFor(databasePath));
    const QRegularExpression pattern = namePattern(databasePath);
    // Sorted by time stamp, then by the "-n" of a second backup within the same second.
    std::vector<std::pair<QString, QString>> found;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.hasMatch()) {
            found.emplace_back(m.captured(1) + m.captured(3).rightJustified(9, QLatin1Char('0')),
                               name);
        }
    }
    std::sort(found.begin(), found.end(), std::greater<>());
    QStringList paths;
    for (const auto& entry : found) {
        paths.append(dir.filePath(entry.second));
    }
    return paths;
}

QString newest(const QString& databasePath) {
    const QStringList all = files(databasePath);
    return all.isEmpty() ? QString() : all.front();
}

bool dueOn(const QString& databasePath, const QDate& day) {
    const QRegularExpression pattern = namePattern(databasePath);
    const QString stamp = day.toString(QStringLiteral("yyyyMMdd"));
    for (const QString& path : files(databasePath)) {
        if (pattern.match(QFileInfo(path).fileName()).captured(2) == stamp) {
            return false;
        }
    }
    return true;
}

int prune(const QString& databasePath, int keep) {
    const QStringList all = files(databasePath);
    int removed = 0;
    for (qsizetype i = keep; i < all.size(); ++i) {
        removed += QFile::remove(all[i]) ? 1 : 0;
    }
    return removed;
}

}  // namespace tillora::backup_folder
