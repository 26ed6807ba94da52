#include "settings/user_dialog.h"

#include <QTimer>

#include "data/odbcdb.h"
#include "forms/component.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/input_mode.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "settings/settings_module.h"
#include "settings/settings_texts.h"
#include "settings/settings_window.h"

namespace tillora {

namespace {

constexpr int kFieldLength = 50;
// The edit box's input-mode property.
constexpr int kInputModeProperty = 16;

const QString kName = QStringLiteral("编辑框_yhm");
const QString kPassword = QStringLiteral("编辑框_mm");
const QString kConfirmation = QStringLiteral("编辑框8");
const QString kPermission = QStringLiteral("组合框_qx");

void hint(const QString& text) {
    showMessage(text, 0, settings_text::hint());
}

}  // namespace

UserDialog::UserDialog(SettingsModule& module, FormWindow* window, Kind kind)
    : QObject(window), module_(module), window_(window), kind_(kind) {
    setObjectName(QStringLiteral("userDialogLogic"));
}

UserDialog* UserDialog::of(FormWindow* window) {
    return window != nullptr ? window->findChild<UserDialog*>(QStringLiteral("userDialogLogic"),
                                                              Qt::FindDirectChildrenOnly)
                             : nullptr;
}

void UserDialog::start() {
    if (kind_ == Kind::Add) {
        return;
    }
    // The change dialog's boxes are plain in its template; a password is never shown.
    for (const QString& box : {kPassword, kConfirmation}) {
        window_->component(box)->setPropertyByNumber(kInputModeProperty,
                                                     static_cast<int>(InputMode::Password));
    }
    edited_ = module_.editedUser();
    window_->setText(kName, edited_.name);
    Component* box = window_->component(kPermission);
    const int known = static_cast<int>(box->items().indexOf(edited_.permission));
    if (known >= 0 && !edited_.permission.isEmpty()) {
        box->setCurrentIndex(known);
    } else {
        box->setText(edited_.permission);
    }
}

QString UserDialog::permission() const {
    return window_->text(kPermission);
}

void UserDialog::add() {
    const QString name = window_->text(kName);
    const QString password = window_->text(kPassword);
    const QString confirmation = window_->text(kConfirmation);
    const QString chosen = permission();
    if (name.trimmed().isEmpty()) {
        hint(settings_text::userNameEmpty());
        return;
    }
    if (password.isEmpty()) {
        hint(settings_text::passwordEmpty());
        return;
    }
    if (confirmation.isEmpty()) {
        hint(settings_text::confirmationEmpty());
        return;
    }
    if (chosen.trimmed().isEmpty()) {
        hint(settings_text::permissionEmpty());
        return;
    }
    if (password != confirmation) {
        hint(settings_text::passwordsDiffer());
        return;
    }
    if (name.size() > kFieldLength) {
        hint(settings_text::tooLong(QStringLiteral("用户名"), kFieldLength));
        return;
    }
    if (chosen.size() > kFieldLength) {
        hint(settings_text::tooLong(QStringLiteral("用户权限"), kFieldLength));
        return;
    }
    if (!module_.database().ExecuteSql(user_sql::addUser(name, chosen, passwordDigest(password)))) {
        showMessage(settings_text::userAddFailed());
        return;
    }
    refreshUserList();
    close();
}

void UserDialog::change() {
    const QString password = window_->text(kPassword);
    const QString confirmation = window_->text(kConfirmation);
    const QString chosen = permission();
    if (chosen.trimmed().isEmpty()) {
        hint(settings_text::permissionEmpty());
        return;
    }
    if (password != confirmation) {
        hint(settings_text::passwordsDiffer());
        return;
    }
    if (chosen.size() > kFieldLength) {
        hint(settings_text::tooLong(QStringLiteral("用户权限"), kFieldLength));
        return;
    }
    ODBCDB& db = module_.database();
    if (chosen != user_permission::administrator()) {
        bool ok = false;
        const std::vector<UserAccount> users = readUserAccounts(db, user_sql::listUsers(), &ok);
        if (!ok) {
            showMessage(settings_text::userChangeFailed());
            return;
        }
        if (isLastAdministrator(users, edited_.id)) {
            hint(settings_text::lastAdministratorDemote());
            return;
        }
    }
    // Nothing typed: the password stays as it is.
    const QString digest = password.isEmpty() ? edited_.digest : passwordDigest(password);
    if (!db.ExecuteSql(user_sql::changeUser(edited_.id, edited_.name, digest, chosen))) {
        showMessage(settings_text::userChangeFailed());
        return;
    }
    showMessage(settings_text::userChanged());
    refreshUserList();
    close();
}

void UserDialog::refreshUserList() const {
    if (FormManager* manager = window_->manager()) {
        if (SettingsWindow* settings =
                SettingsWindow::of(manager->window(static_cast<qint32>(FormId::Settings)))) {
            settings->fillUsers();
        }
    }
}

// The dialog is still inside its own button's handler; it goes once that has returned.
void UserDialog::close() {
    QPointer<FormManager> manager = window_->manager();
    const qint32 id = window_->windowId();
    QTimer::singleShot(0, manager, [manager, id] {
        if (manager) {
            manager->close(id);
        }
    });
}

}  // namespace tillora
