#pragma once

#include "sales/receipt.h"
#include "sales/receipt_layout.h"

namespace tillora {

class DrawPanel;
class FormManager;
class FormWindow;

// The receipt preview: the receipt drawn at its real size on the preview window's 画板1, with
// the preview's labels. Nothing is printed or stored from it.
class PreviewWindow {
  public:
    // Opens the preview window (or brings the open one forward), clears the panel and draws the
    // receipt. Not modal: the sales entry window stays usable. Returns the drawing's outcome;
    // "logo数据打开失败！" is shown here when the logo was wanted but unreadable. False when the
    // window could not be opened.
    static bool show(FormManager& forms, const Receipt& receipt,
                     const ReceiptPrintSettings& settings, const ReceiptLogoSource& logo);

    // The draw panel of an open preview window, or null.
    static DrawPanel* panel(FormWindow* window);
};

}  // namespace tillora
