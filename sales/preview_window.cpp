#include "sales/preview_window.h"

#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "formset/preview_handles.h"
#include "print/draw_panel.h"
#include "print/draw_panel_component.h"
#include "sales/receipt_printer.h"

namespace tillora {

DrawPanel* PreviewWindow::panel(FormWindow* window) {
    if (window == nullptr) {
        return nullptr;
    }
    // A plain component when printing did not register its draw-panel type.
    auto* component = dynamic_cast<DrawPanelComponent*>(&PreviewHandles(*window).画板1);
    return component != nullptr ? component->panel() : nullptr;
}

bool PreviewWindow::show(FormManager& forms, const Receipt& receipt,
                         const ReceiptPrintSettings& settings, const ReceiptLogoSource& logo) {
    const auto id = static_cast<qint32>(FormId::Preview);
    if (!forms.open(id)) {
        return false;
    }
    FormWindow* window = forms.window(id);
    DrawPanel* drawPanel = panel(window);
    if (drawPanel == nullptr) {
        return false;
    }
    // The preview takes the keyboard, so that Esc closes it: asked for here rather than left to
    // a window manager that may keep the focus where the click was.
    window->raise();
    window->activateWindow();
    window->setFocus(Qt::ActiveWindowFocusReason);
    // Cleared every time, so that a second preview never shows the first one beneath it.
    drawPanel->Clear();
    const ReceiptLayoutResult result =
        ReceiptLayout::draw(*drawPanel, receipt, settings, ReceiptLayout::Labels::Preview, logo);
    if (result.logoFailed) {
        showMessage(ReceiptPrinter::logoFailedText());
    }
    return true;
}

}  // namespace tillora
