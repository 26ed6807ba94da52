#include "sales/receipt_number_format_window.h"

#include "forms/component.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "platform/clock.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"

namespace tillora {

ReceiptNumberFormatWindow::ReceiptNumberFormatWindow(SalesModule& module, FormWindow* window)
    : WindowLogic(window), module_(module), ui_(*window), numbering_(module.database()) {}

void ReceiptNumberFormatWindow::start() {
    const ReceiptNumberFormat format = numbering_.readFormat();
    ui_.选择框1.setChecked(!format.customPrefix.isEmpty());
    ui_.编辑框1.setText(format.customPrefix);
    ui_.选择框2.setChecked(format.datePrefix);
    optionChanged();
}

ReceiptNumberFormat ReceiptNumberFormatWindow::chosen() const {
    ReceiptNumberFormat format;
    format.datePrefix = ui_.选择框2.isChecked();
    if (ui_.选择框1.isChecked()) {
        format.customPrefix = ui_.编辑框1.text().trimmed();
    }
    return format;
}

void ReceiptNumberFormatWindow::optionChanged() {
    const ReceiptNumberFormat format = chosen();
    const bool usable =
        format.customPrefix.isEmpty() || ReceiptNumberFormat::isValidPrefix(format.customPrefix);
    ui_.编辑框2.setText(usable ? nextReceiptNumber(format,
                                                   numbering_.highestNumber(receiptNumberPrefix(
                                                       format, Clock::now().date())),
                                                   Clock::now().date())
                               : QString());
}

void ReceiptNumberFormatWindow::confirm() {
    const ReceiptNumberFormat format = chosen();
    if (ui_.选择框1.isChecked() && !ReceiptNumberFormat::isValidPrefix(format.customPrefix)) {
        showMessage(QStringLiteral("自定义前缀只能是1至8位数字！"), 0, sales_text::hint());
        return;
    }
    if (!numbering_.storeFormat(format)) {
        showMessage(sales_text::changeFailed());
        return;
    }
    window_->closeLater();
}

void ReceiptNumberFormatWindow::cancel() {
    window_->closeLater();
}

}  // namespace tillora
