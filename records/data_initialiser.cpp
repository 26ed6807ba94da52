#include "records/data_initialiser.h"

#include <QFile>
#include <QFileInfo>

#include "data/database_backup.h"
#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/operation_trail.h"
#include "data/postgres_driver.h"
#include "data/template_database.h"

namespace tillora {

namespace {

QString journalOf(const QString& path) {
    return path + QStringLiteral("-journal");
}

}  // namespace

bool DataInitialiser::sameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) {
        return ca == cb;
    }
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

DataInitialiser::Outcome DataInitialiser::run(ODBCDB& db, const QString& databasePath,
                                              const QString& backupPath,
                                              const TemplateWriter& writeTemplate) {
    // A till on a server must neither wipe the shop's shared data nor fall back to a local file.
    if (PostgresDriver::isServerUrl(db.connectString().mid(5))) {
        return Outcome::Failed;
    }
    // The backup would replace the very file it copies, and the template would then overwrite it.
    if (sameFile(backupPath, databasePath) || sameFile(backupPath, journalOf(databasePath))) {
        return Outcome::BackupFailed;
    }
    if (!backupDatabaseFile(databasePath, backupPath).ok()) {
        return Outcome::BackupFailed;
    }
    // No connection may hold the file while it is replaced. The old file stays aside until the
    // new one has opened, so a failure anywhere puts it back.
    db.CloseDatabase();
    // A kill before the end leaves it behind; the next start names it to the user.
    const QString aside = initialisationAsidePath(databasePath);
    if (!moveDatabaseFile(databasePath, aside)) {
        openProgramDatabase(db, databasePath);
        return Outcome::Failed;
    }
    const bool written =
        writeTemplate ? writeTemplate(databasePath) : writeTemplateDatabase(databasePath);
    // The trail records that the initialisation happened and keeps what came before it.
    const TrailEntry entry{QStringLiteral("数据初始化"),
                           QStringLiteral("数据库"),
                           {},
                           QFileInfo(backupPath).fileName(),
                           {}};
    if (written && operation_trail::carryOver(aside, databasePath, entry) &&
        openProgramDatabase(db, databasePath)) {
        QFile::remove(aside);
        QFile::remove(journalOf(aside));
        return Outcome::Done;
    }
    db.CloseDatabase();
    QFile::remove(databasePath);
    QFile::remove(journalOf(databasePath));
    moveDatabaseFile(aside, databasePath);
    openProgramDatabase(db, databasePath);
    return Outcome::Failed;
}

}  // namespace tillora
