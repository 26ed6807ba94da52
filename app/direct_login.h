#pragma once

#include "data/current_user.h"
#include "data/odbcdb.h"

#include <optional>

namespace tillora {

// Start-up's decision on the login window. When the settings record's 直接登录 is anything but
// "0", the user named in 用户登录 is logged in without the window, with the permission stored for
// that name now. Nobody is let in under a name without an account: an empty name, a user deleted
// since, or a settings row or lookup that can't be read all give no user, and the window is shown.
std::optional<CurrentUser> directLoginUser(ODBCDB& db);

}  // namespace tillora
