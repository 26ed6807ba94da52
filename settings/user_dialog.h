#pragma once

#include "data/user_accounts.h"
#include "forms/window_logic.h"

namespace tillora {

class ComboBox;
class EditBox;
class FormWindow;
class SettingsModule;

// The add-user and change-user dialogs of the user page; one class, as they share their boxes.
// Lives as a child of its FormWindow.
class UserDialog : public WindowLogic<UserDialog> {
    Q_OBJECT

  public:
    enum class Kind { Add, Change };

    UserDialog(SettingsModule& module, FormWindow* window, Kind kind);

    // The change dialog shows the edited user; both mask the passwords typed.
    void start();
    // 添加: the checks in order, then the new row.
    void add();
    // 修改: both password boxes empty keep the stored password.
    void change();

  private:
    // The boxes both dialogs have, under the same names.
    struct Boxes {
        EditBox& name;
        EditBox& password;
        EditBox& confirmation;
        ComboBox& permission;
    };
    static Boxes boxesOf(FormWindow& window, Kind kind);

    QString permission() const;
    // The user list behind the dialog shows the change.
    void refreshUserList() const;

    SettingsModule& module_;
    Kind kind_;
    Boxes boxes_;
    UserAccount edited_;
};

}  // namespace tillora
