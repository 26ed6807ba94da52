#pragma once

#include "app/current_user.h"

#include <functional>

namespace tillora {

class SalesModule;

// The window that follows a login: the sales entry window, opened from its template for the user
// (the cashier of its title and receipts). False when the window can't be opened.
std::function<bool(const CurrentUser&)> salesEntryOpener(SalesModule& sales);

}  // namespace tillora
