#pragma once

#include <QString>

#include <optional>

#include "sales/receipt.h"

namespace tillora {

// A sale line as typed into the entry boxes of a window, before it is checked.
struct TypedLine {
    QString name;
    QString quantity;
    QString unitPrice;
    // The discount text when the discount is ticked; none for full price.
    std::optional<QString> discount;

    // The line with its totals when every value is one the till can store; otherwise the reason
    // is shown to the cashier (title "提示") and nothing is returned. The checks are those of
    // ReceiptModel::check, so that no window accepts what another refuses.
    std::optional<ReceiptLine> checked() const;
};

}  // namespace tillora
