#pragma once

#include "data/current_user.h"

#include <functional>

namespace tillora {

// The window that follows a login: the sales entry window, opened from its template for the
// CurrentUser (the cashier of its title and receipts). False when the window can't be opened.
std::function<bool(const CurrentUser&)> salesEntryOpener();

}  // namespace tillora
