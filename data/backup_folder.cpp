#include "data/backup_folder.h"

#include "data/database_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <QThread>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tillora::backup_folder {

namespace {

QString nameCore(const QString& databasePath) {
    const QFileInfo db(databasePath);
    return QRegularExpression::escape(db.completeBaseName()) +
           QStringLiteral("-((\\d{8})-\\d{6})(?:-(\\d+))?") +
           QRegularExpression::escape(db.suffix().isEmpty() ? QString()
                                                            : QStringLiteral(".") + db.suffix());
}

QRegularExpression namePattern(const QString& databasePath) {
    return QRegularExpression(QStringLiteral("^") + nameCore(databasePath) + QStringLiteral("$"));
}

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

}  // namespace

QString folderFor(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString fileFor(const QString& databasePath, const QDateTime& when) {
    const QFileInfo db(databasePath);
    const QString suffix = db.suffix().isEmpty() ? QString() : QStringLiteral(".") + db.suffix();
    const QString stem =
        QDir(folderFor(databasePath))
            .filePath(db.completeBaseName() + QLatin1Char('-') + when.toString(kStampFormat));
    QString file = stem + suffix;
    for (int n = 2; QFile::exists(file); ++n) {
        file = stem + QLatin1Char('-') + QString::number(n) + suffix;
    }
    return file;
}

QStringList files(const QString& databasePath, const QDateTime& now) {
    const QDir dir(folderFor(databasePath));
    const QRegularExpression pattern = namePattern(databasePath);
    const QString present = now.toString(kStampFormat);
    // Sorted by time stamp, then by the "-n" of a second backup within the same second; a stamp
    // from the future sorts below every present one.
    std::vector<std::pair<QString, QString>> found;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.hasMatch()) {
            const QChar rank = m.captured(1) > present ? u'0' : u'1';
            found.emplace_back(
                rank + m.captured(1) + m.captured(3).rightJustified(9, QLatin1Char('0')), name);
        }
    }
    std::sort(found.begin(), found.end(), std::greater<>());
    QStringList paths;
    for (const auto& entry : found) {
        paths.append(dir.filePath(entry.second));
    }
    return paths;
}

QString newest(const QString& databasePath, const QDateTime& now) {
    const QStringList all = files(databasePath, now);
    return all.isEmpty() ? QString() : all.front();
}

QDateTime takenAt(const QString& databasePath, const QString& backup) {
    const QRegularExpressionMatch m = namePattern(databasePath).match(QFileInfo(backup).fileName());
    return m.hasMatch() ? QDateTime::fromString(m.captured(1), kStampFormat) : QDateTime();
}

GoodBackup newestGood(const QString& databasePath, const QDateTime& now) {
    for (const QString& path : files(databasePath, now)) {
        const BackupContents contents = readBackupContents(path, true);
        if (contents.whole) {
            return {path, takenAt(databasePath, path), contents.sales};
        }
    }
    return {};
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

int prune(const QString& databasePath, const QDateTime& now, int keep) {
    const QStringList all = files(databasePath, now);
    // Counting is cheap; the whole check is left to the restore, which reads what it offers.
    qsizetype withSales = 0;
    while (withSales < all.size() && readBackupContents(all[withSales], false).ownSales <= 0) {
        ++withSales;
    }
    int removed = 0;
    for (qsizetype i = keep; i < all.size(); ++i) {
        if (i != withSales) {
            removed += QFile::remove(all[i]) ? 1 : 0;
        }
    }
    return removed;
}

int removeLeftovers(const QString& databasePath) {
    return removeInterruptedCopies(folderFor(databasePath), nameCore(databasePath));
}

Lock::Lock(const QString& databasePath)
    : path_(QDir(folderFor(databasePath)).filePath(QStringLiteral(".lock"))) {}

Lock::~Lock() {
#ifdef Q_OS_UNIX
    if (fd_ >= 0) {
        ::close(fd_);
    }
#endif
}

bool Lock::acquire(const std::function<bool()>& stop) {
#ifdef Q_OS_UNIX
    if (fd_ < 0) {
        fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    if (fd_ < 0) {
        return false;
    }
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (stop()) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
#else
    return !stop();
#endif
}

}  // namespace tillora::backup_folder
