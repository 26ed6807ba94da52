#include "app/direct_login.h"

#include "app/login_check.h"
#include "data/settings_record.h"

namespace tillora {

std::optional<CurrentUser> directLoginUser(ODBCDB& db) {
    SettingsRecord settings;
    if (!readSettingsRecord(db, settings)) {
        return std::nullopt;
    }
    if (settings.directLogin == QLatin1String("0") || settings.lastUser.trimmed().isEmpty()) {
        return std::nullopt;
    }
    StoredUser user;
    if (lookUpUser(db, login_sql::findUser(settings.lastUser), &user) != UserLookup::Found) {
        return std::nullopt;
    }
    return CurrentUser(user.userName, user.permission);
}

}  // namespace tillora
