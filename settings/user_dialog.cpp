#include "settings/user_dialog.h"
#include "data/master_changes.h"

#include "data/odbcdb.h"
#include "forms/component.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/input_mode.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "formset/user_add_handles.h"
#include "formset/user_change_handles.h"
#include "settings/settings_module.h"
#include "settings/settings_texts.h"
#include "settings/settings_window.h"

namespace tillora {

namespace {

constexpr int kFieldLength = 50;

void hint(const QString& text) {
    showMessage(text, 0, settings_text::hint());
}

}  // namespace

UserDialog::UserDialog(SettingsModule& module, FormWindow* window, Kind kind)
    : WindowLogic(window), module_(module), kind_(kind), boxes_(boxesOf(*window, kind)) {}

UserDialog::Boxes UserDialog::boxesOf(FormWindow& window, Kind kind) {
    const auto boxes = [](const auto& h) {
        return Boxes{h.编辑框_yhm, h.编辑框_mm, h.编辑框8, h.组合框_qx};
    };
    return kind == Kind::Add ? boxes(UserAddHandles(window)) : boxes(UserChangeHandles(window));
}

void UserDialog::start() {
    // Enter in a box adds or changes the user, as 按钮1 does.
    if (kind_ == Kind::Add) {
        window_->setDefaultButton(&UserAddHandles(*window_).按钮1);
        return;
    }
    window_->setDefaultButton(&UserChangeHandles(*window_).按钮1);
    // The change dialog's boxes are plain in its template; a password is never shown.
    boxes_.password.setInputMode(InputMode::Password);
    boxes_.confirmation.setInputMode(InputMode::Password);
    edited_ = module_.editedUser();
    boxes_.name.setText(edited_.name);
    ComboBox& box = boxes_.permission;
    const int known = static_cast<int>(box.items().indexOf(edited_.permission));
    if (known >= 0 && !edited_.permission.isEmpty()) {
        box.setCurrentIndex(known);
    } else {
        box.setText(edited_.permission);
    }
}

QString UserDialog::permission() const {
    return boxes_.permission.text();
}

namespace {

// What adding and changing a user both refuse, in the order they tell it: no permission, two
// passwords that differ, text that can't go into a statement, a name (when adding) or a
// permission too long for its column. Empty when none.
QString sharedProblem(const QString& password, const QString& confirmation, const QString& chosen,
                      const QString* name) {
    if (chosen.trimmed().isEmpty()) {
        return settings_text::permissionEmpty();
    }
    if (password != confirmation) {
        return settings_text::passwordsDiffer();
    }
    if (containsInjectionText(password)) {
        return user_text::injection();
    }
    if (name != nullptr && name->size() > kFieldLength) {
        return settings_text::tooLong(QStringLiteral("用户名"), kFieldLength);
    }
    if (chosen.size() > kFieldLength) {
        return settings_text::tooLong(QStringLiteral("用户权限"), kFieldLength);
    }
    return {};
}

}  // namespace

void UserDialog::add() {
    const QString name = boxes_.name.text();
    const QString password = boxes_.password.text();
    const QString confirmation = boxes_.confirmation.text();
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
    if (const QString problem = sharedProblem(password, confirmation, chosen, &name);
        !problem.isEmpty()) {
        hint(problem);
        return;
    }
    if (!master_change::addUser(module_.database(), name, chosen, passwordDigest(password))) {
        showMessage(settings_text::userAddFailed());
        return;
    }
    refreshUserList();
    window_->closeLater();
}

void UserDialog::change() {
    const QString password = boxes_.password.text();
    const QString confirmation = boxes_.confirmation.text();
    const QString chosen = permission();
    if (const QString problem = sharedProblem(password, confirmation, chosen, nullptr);
        !problem.isEmpty()) {
        hint(problem);
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
    if (!master_change::changeUser(db, edited_, edited_.name, digest, chosen)) {
        showMessage(settings_text::userChangeFailed());
        return;
    }
    showMessage(settings_text::userChanged());
    refreshUserList();
    window_->closeLater();
}

void UserDialog::refreshUserList() const {
    if (FormManager* manager = window_->manager()) {
        if (SettingsWindow* settings =
                SettingsWindow::of(manager->window(static_cast<qint32>(FormId::Settings)))) {
            settings->fillUsers();
        }
    }
}

}  // namespace tillora
