#include "app/first_window.h"

#include "app/direct_login.h"
#include "app/login_window.h"

namespace tillora {

bool showFirstWindow(FormManager& forms, ODBCDB& db,
                     const std::function<bool(const CurrentUser&)>& openMainWindow) {
    if (const std::optional<CurrentUser> user = directLoginUser(db)) {
        CurrentUser::create(user->userName(), user->permission());
        return openMainWindow && openMainWindow(*CurrentUser::get());
    }
    return LoginWindow::open(forms);
}

}  // namespace tillora
