#include "app/sales_hand_over.h"

#include "forms/form_manager.h"
#include "formset/form_ids.h"
#include "sales/sales_module.h"

namespace tillora {

std::function<bool(const CurrentUser&)> salesEntryOpener(SalesModule& sales) {
    return [&sales](const CurrentUser& user) {
        FormManager* forms = FormManager::instance();
        if (forms == nullptr) {
            return false;
        }
        sales.setUser({user.userName(), user.permission()});
        return forms->open(static_cast<qint32>(FormId::SalesEntry));
    };
}

}  // namespace tillora
