#include "app/direct_login.h"

#include "app/login_check.h"
#include "data/settings_record.h"
#include "data/till_login.h"

namespace tillora {

std::optional<CurrentUser> directLoginUser(ODBCDB& db) {
    QString lastUser;
    if (isServerDatabase(db)) {
        // The shared row's switch is never read on a server: one till's tick would let every till
        // in without a password.
        const TillLogin login = readTillLogin();
        if (!login.direct) {
            return std::nullopt;
        }
        lastUser = login.user;
    } else {
        SettingsRecord settings;
        if (!readSettingsRecord(db, settings) || settings.directLogin == QLatin1String("0")) {
            return std::nullopt;
        }
        lastUser = settings.lastUser;
    }
    if (lastUser.trimmed().isEmpty()) {
        return std::nullopt;
    }
    StoredUser user;
    if (lookUpUser(db, login_sql::findUser(lastUser), &user) != UserLookup::Found) {
        return std::nullopt;
    }
    return CurrentUser(user.userName, user.permission);
}

}  // namespace tillora
