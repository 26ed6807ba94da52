#pragma once

#include <QString>

#include "data/user_accounts.h"

namespace tillora {

// The user this run works for: the cashier on every receipt and sale record, and the permission
// that decides what the sales, records and settings windows allow. Made once by the login (window
// or direct); there is no log-out, so it stays until the program ends.
class CurrentUser {
  public:
    CurrentUser(QString userName, QString permission)
        : userName_(std::move(userName)), permission_(std::move(permission)) {}

    // As stored in 用户登录.用户名 and 用户登录.权限.
    const QString& userName() const { return userName_; }
    const QString& permission() const { return permission_; }
    // Only the exact stored text counts; anything else is an ordinary user.
    bool isAdministrator() const { return permission_ == administratorPermission(); }

    static QString administratorPermission() { return user_permission::administrator(); }
    static QString ordinaryPermission() { return user_permission::ordinary(); }

    // The logged-in user, or nullptr before the login.
    static const CurrentUser* get();
    // The logged-in user; before the login nobody, without a name or any right.
    static const CurrentUser& orNobody();
    // Makes the run's user. False, leaving the first one in place, when a user exists already:
    // a run never changes its user.
    static bool create(const QString& userName, const QString& permission);
    // Drops the run's user, for a process that starts the program more than once (tests).
    static void forget();

  private:
    QString userName_;
    QString permission_;
};

}  // namespace tillora
