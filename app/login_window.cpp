#include "app/login_window.h"
#include "data/operation_trail.h"

#include "data/till_login.h"

#include "app/login_check.h"
#include "app/program_holder.h"
#include "app/shell.h"
#include "forms/component.h"
#include "forms/components/button.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/input_mode.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "values/runtime_error.h"

#include <QCoreApplication>
#include <QPointer>

namespace tillora {

LoginWindow::Services LoginWindow::shellServices(
    std::function<bool(const CurrentUser&)> openMainWindow) {
    Services services;
    services.database = [] {
        ProgramHolder* holder = ProgramHolder::instance();
        return holder != nullptr ? &holder->database() : nullptr;
    };
    services.openMainWindow = std::move(openMainWindow);
    services.endProgram = [](int exitCode) {
        if (Shell* shell = Shell::instance()) {
            shell->requestEnd(exitCode);
        } else {
            QCoreApplication::exit(exitCode);
        }
    };
    return services;
}

void LoginWindow::registerHandlers(HandlerRegistry& handlers, Services services) {
    auto shared = std::make_shared<const Services>(std::move(services));
    handlers.add(QStringLiteral("login.created"), [shared](const EventArgs& args) {
        auto* login = new LoginWindow(args.window, shared);
        login->prepare();
        return Value();
    });
    handlers.add(QStringLiteral("login.loginClicked"), [](const EventArgs& args) {
        if (LoginWindow* login = of(args.window)) {
            login->logIn();
        }
        return Value();
    });
    // The tick is read when the login succeeds: ticking and then leaving by 退出 must not switch
    // direct login on for whoever logged in last.
    handlers.add(QStringLiteral("login.directLoginClicked"),
                 [](const EventArgs&) { return Value(); });
    handlers.add(QStringLiteral("login.exitClicked"), [shared](const EventArgs&) {
        if (shared->endProgram) {
            shared->endProgram(0);
        }
        return Value();
    });
}

bool LoginWindow::open(FormManager& forms) {
    const auto id = static_cast<qint32>(FormId::Login);
    if (!forms.open(id)) {
        return false;
    }
    FormWindow* window = forms.window(id);
    if (window == nullptr) {
        return false;
    }
    window->show();
    window->activateWindow();
    return true;
}

LoginWindow::LoginWindow(FormWindow* window, std::shared_ptr<const Services> services)
    : WindowLogic(window), ui_(*window), services_(std::move(services)) {}

void LoginWindow::prepare() {
    // Enter logs in from anywhere in the window; 退出 ends the program only on its own click or
    // Space, never on an Enter meant for logging in.
    window_->setDefaultButton(&ui_.按钮_登录);
    ui_.按钮_退出.setPressedByEnter(false);
    ui_.编辑框_密码.setInputMode(InputMode::Password);
    if (ODBCDB* db = services_->database ? services_->database() : nullptr) {
        listUsers(*db);
    }
}

void LoginWindow::listUsers(ODBCDB& db) {
    const int handle = db.OpenTable(login_sql::listUsers());
    if (handle == 0) {
        return;  // the template's own item stays
    }
    QStringList names;
    for (; !db.IsEOF(handle); db.MoveNext(handle)) {
        const QString name = db.ReadColByName(handle, QStringLiteral("用户名")).toText();
        if (!names.contains(name)) {
            names << name;
        }
    }
    db.CloseTable(handle);
    if (names.isEmpty()) {
        return;
    }
    ui_.组合框_用户名.setItems(names);
    const qsizetype admin = names.indexOf(QStringLiteral("admin"));
    ui_.组合框_用户名.setCurrentIndex(static_cast<int>(admin >= 0 ? admin : 0));
}

void LoginWindow::say(const QString& text) const {
    showMessage(text, MessageFlags::Ok, QString(), window_);
}

bool LoginWindow::logIn() {
    ODBCDB* db = services_->database ? services_->database() : nullptr;
    if (db == nullptr) {
        say(login_text::queryFailed());
        return false;
    }
    const LoginCheck check = checkLogin(*db, ui_.组合框_用户名.text(), ui_.编辑框_密码.text());
    if (!check.accepted()) {
        // The name typed, never the password.
        if (check.outcome == LoginCheck::Outcome::WrongPassword) {
            operation_trail::note(*db, {QStringLiteral("登录失败"),
                                        QStringLiteral("用户登录"),
                                        {},
                                        {},
                                        ui_.组合框_用户名.text()});
        }
        say(check.message());
        return false;
    }
    // A login this till can't remember would look fine today and be gone tomorrow: say why.
    if (isServerDatabase(*db)) {
        if (const QString problem = tillLoginProblem(); !problem.isEmpty()) {
            say(problem);
            return false;
        }
    }
    const bool directNextTime = ui_.选择框1.isChecked();
    if (!storeLogin(*db, check.user.userName, directNextTime)) {
        // The password was right; only the remembering failed, so the login goes on.
        say(login_text::storeFailed());
    }

    CurrentUser::create(check.user.userName, check.user.permission);
    operation_trail::note(
        *db, {QStringLiteral("登录"), QStringLiteral("用户登录"), {}, {}, check.user.userName});
    QPointer<FormWindow> self(window_);
    if (!services_->openMainWindow || !services_->openMainWindow(*CurrentUser::get())) {
        reportRuntimeError(RuntimeErrorCode::None, windowLoadFailedText());
    }
    if (self != nullptr && !self->isDestroying()) {
        self->destroyWindow();
    }
    return true;
}

}  // namespace tillora
