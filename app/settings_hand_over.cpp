#include "app/settings_hand_over.h"

#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "formset/form_ids.h"
#include "records/spreadsheet_export.h"
#include "sales/receipt_numbering.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_module.h"
#include "settings/logo_window.h"
#include "settings/printer_choice_window.h"
#include "settings/settings_module.h"

namespace tillora {

void connectSettings(SettingsModule& settings, SalesModule& sales) {
    sales.setSettingsOpener([&settings](FormWindow* owner) { settings.open(owner); });
    settings.setNextReceiptNumber([&sales] { return ReceiptNumbering(sales.database()).next(); });
    settings.setFormatOpener([](FormWindow* owner) {
        if (FormManager* forms = FormManager::instance()) {
            forms->open(static_cast<qint32>(FormId::ReceiptNumberFormat), true, owner);
        }
    });
    // The logo and printer windows belong to printing; the print page only opens them.
    settings.setLogoOpener([](FormWindow* owner) {
        if (FormManager* forms = FormManager::instance()) {
            openLogoWindow(*forms, owner);
        }
    });
    settings.setPrinterOpener([](FormWindow* owner) {
        if (FormManager* forms = FormManager::instance()) {
            openPrinterChoiceWindow(*forms, owner);
        }
    });
    settings.setProductMemory([&sales] { return sales.remembersProducts(); },
                              [&sales](bool on) { sales.setRemembersProducts(on); });
    // The product list goes out as the sales lists do.
    settings.setListExport(
        [](FormWindow* owner, const QStringList& titles, const QList<QStringList>& rows) {
            exportToSpreadsheet(owner, titles, rows);
        });
    settings.setClosedNotice([] {
        FormManager* forms = FormManager::instance();
        FormWindow* window =
            forms != nullptr ? forms->window(static_cast<qint32>(FormId::SalesEntry)) : nullptr;
        if (SalesEntryWindow* entry = SalesEntryWindow::of(window);
            entry != nullptr && !window->isDestroying()) {
            entry->settingsChanged();
        }
    });
}

}  // namespace tillora
