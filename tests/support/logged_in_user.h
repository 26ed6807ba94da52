#pragma once

#include <QString>

#include "data/current_user.h"

namespace tillora::test {

// Makes `name` the run's user in place of whoever was logged in before: the program never
// changes its user, tests play several.
inline void logIn(const QString& name, const QString& permission) {
    CurrentUser::forget();
    CurrentUser::create(name, permission);
}

}  // namespace tillora::test
