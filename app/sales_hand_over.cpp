#include "app/sales_hand_over.h"

#include "forms/form_manager.h"
#include "formset/form_ids.h"

namespace tillora {

std::function<bool(const CurrentUser&)> salesEntryOpener() {
    return [](const CurrentUser&) {
        FormManager* forms = FormManager::instance();
        if (forms == nullptr) {
            return false;
        }
        return forms->open(static_cast<qint32>(FormId::SalesEntry));
    };
}

}  // namespace tillora
