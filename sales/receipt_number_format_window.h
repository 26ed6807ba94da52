#pragma once

#include "forms/window_logic.h"
#include "formset/receipt_number_format_handles.h"

#include "sales/receipt_numbering.h"

namespace tillora {

class FormWindow;
class SalesModule;

// The receipt number format window: a custom prefix and the date prefix, with the next number
// shown as an example beside them.
class ReceiptNumberFormatWindow : public WindowLogic<ReceiptNumberFormatWindow> {
    Q_OBJECT

  public:
    ReceiptNumberFormatWindow(SalesModule& module, FormWindow* window);

    void start();
    // The ticks or the prefix changed: show the example again.
    void optionChanged();
    // Stores the format and closes; a bad prefix keeps the window open with a message.
    void confirm();
    void cancel();

  private:
    ReceiptNumberFormat chosen() const;

    SalesModule& module_;
    ReceiptNumberFormatHandles ui_;
    ReceiptNumbering numbering_;
};

}  // namespace tillora
