#include "data/current_user.h"

#include <memory>

namespace tillora {

namespace {
std::unique_ptr<CurrentUser>& current() {
    static std::unique_ptr<CurrentUser> user;
    return user;
}
}  // namespace

const CurrentUser* CurrentUser::get() {
    return current().get();
}

bool CurrentUser::create(const QString& userName, const QString& permission) {
    if (current() != nullptr) {
        return false;
    }
    current() = std::make_unique<CurrentUser>(userName, permission);
    return true;
}

const CurrentUser& CurrentUser::orNobody() {
    static const CurrentUser nobody{QString(), QString()};
    const CurrentUser* user = get();
    return user != nullptr ? *user : nobody;
}

void CurrentUser::forget() {
    current().reset();
}

}  // namespace tillora
