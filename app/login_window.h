#pragma once

#include "data/current_user.h"
#include "forms/handler_registry.h"
#include "forms/window_logic.h"
#include "formset/login_handles.h"

#include <functional>
#include <memory>

namespace tillora {

class FormManager;
class FormWindow;
class ODBCDB;

// The logic of the login window (登录): asks for a user of 用户登录 and a password, and on success
// makes the CurrentUser, opens the window that follows and closes itself. One object lives as a
// child of the open window, made by the window's created handler.
class LoginWindow : public WindowLogic<LoginWindow> {
    Q_OBJECT

  public:
    // What the window needs from the program around it.
    struct Services {
        // The program database; nullptr when there is none.
        std::function<ODBCDB*()> database;
        // Opens the window that follows the login (the sales entry window); false when it can't
        // be opened.
        std::function<bool(const CurrentUser&)> openMainWindow;
        // Ends the program (退出 before a login).
        std::function<void(int exitCode)> endProgram;
    };

    // The holder's database and the shell's end of the program, with the given next window.
    static Services shellServices(std::function<bool(const CurrentUser&)> openMainWindow);

    // Adds the handlers the login template names.
    static void registerHandlers(HandlerRegistry& handlers, Services services);

    // Opens the login window and shows it; its template keeps it hidden so that building it
    // shows nothing before start-up has decided against a direct login.
    static bool open(FormManager& forms);

    // The 登录 button. True when the user is logged in (the window is closing then); otherwise a
    // message has been shown and the window waits for input.
    bool logIn();

  private:
    LoginWindow(FormWindow* window, std::shared_ptr<const Services> services);

    // Masks the password box and lists the users of 用户登录.
    void prepare();
    void listUsers(ODBCDB& db);
    void say(const QString& text) const;

    LoginHandles ui_;
    std::shared_ptr<const Services> services_;
};

}  // namespace tillora
