#pragma once

#include "data/current_user.h"

#include <functional>

namespace tillora {

class FormManager;
class ODBCDB;

// Start-up's first window, once the database is open. When the settings record asks for a direct
// login and names a user who still has an account, that user becomes the CurrentUser and the main
// window opens straight away; otherwise the login window is shown (its handlers must have been
// registered with LoginWindow::registerHandlers). False when neither window could be opened.
bool showFirstWindow(FormManager& forms, ODBCDB& db,
                     const std::function<bool(const CurrentUser&)>& openMainWindow);

}  // namespace tillora
