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
    DrawPanel* drawPanel = panel(forms.window(id));
    if (drawPanel == nullptr) {
        return false;
    }
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
