#include "sales/typed_line.h"

#include "forms/services/message_service.h"
#include "sales/receipt_model.h"
#include "sales/sales_texts.h"

namespace tillora {

std::optional<ReceiptLine> TypedLine::checked() const {
    const ReceiptModel::Checked checked =
        ReceiptModel::check({name, quantity, unitPrice, discount});
    if (!checked.line) {
        showMessage(checked.problem, 0, sales_text::hint());
        return std::nullopt;
    }
    ReceiptLine line = ReceiptModel::lineText(0, *checked.line);
    line.id.clear();
    return line;
}

}  // namespace tillora
