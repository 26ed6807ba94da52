#include "app/start_routine.h"

#include "data/backup_folder.h"
#include "data/database_setup.h"
#include "forms/services/message_service.h"
#include "platform/whole_file_writer.h"

namespace tillora {

QString alreadyRunningText() {
    return QStringLiteral("程序已经运行!");
}

StartOutcome runStartRoutine(ODBCDB& database, const StartCollaborators& with) {
    if (with.anotherInstanceRunning && with.anotherInstanceRunning()) {
        showMessage(alreadyRunningText());
        return StartOutcome::AlreadyRunning;
    }
    // Only now is no other copy of the program writing there.
    backup_folder::removeLeftovers(databasePath(with.programFolder));
    removeInterruptedWrites(with.programFolder);
    if (with.prompts == nullptr ||
        !openOrRestoreDatabase(database, with.programFolder, *with.prompts)) {
        return StartOutcome::NoDatabase;
    }
    return StartOutcome::DatabaseOpen;
}

}  // namespace tillora
