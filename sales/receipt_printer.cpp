#include "sales/receipt_printer.h"

#include <memory>

#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "print/printer.h"
#include "print/printer_component.h"
#include "print/till_printer.h"
#include "sales/preview_window.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_module.h"

namespace tillora {

ReceiptPrinter::Options ReceiptPrinter::Options::from(const SettingsRecord& settings) {
    Options o;
    o.layout = ReceiptPrintSettings::from(settings);
    o.showPrinted = SettingsRecord::isYes(settings.showPrinted);
    o.askReprint = SettingsRecord::isYes(settings.askReprint);
    return o;
}

bool ReceiptPrinter::isCashSale(const Receipt& receipt) {
    return receipt.paymentMethod == QStringLiteral("现金");
}

bool ReceiptPrinter::print(Printer& printer, const Receipt& receipt, const Options& options,
                           const ReceiptLogoSource& logo, const PrintSteps& steps) {
    Receipt printed = receipt;
    bool done = false;
    // The sale is stored before the job starts; only a printer dialog, when there must be one,
    // is answered first, so that a cancelled choice leaves the receipt unstored.
    const bool chooseFirst = steps.record && Printer::mustChoosePrinter();
    if (steps.record && !chooseFirst && !steps.record(printed)) {
        return false;
    }
    for (;;) {
        if (!printer.StartPrint(false, true)) {
            return done;
        }
        if (chooseFirst && !done && !steps.record(printed)) {
            printer.discardJob();
            return false;
        }
        const ReceiptLayoutResult result = ReceiptLayout::draw(printer, printed, options.layout,
                                                               ReceiptLayout::Labels::Paper, logo);
        // The drawer opens for the stored cash sale, once, with its first receipt.
        if (steps.record && !done && isCashSale(printed) && TillPrinter::read().openDrawer) {
            printer.requestDrawerPulse();
        }
        printer.EndPrint();
        if (printer.cancelled() != 0) {
            return done;
        }
        if (!printer.failure().isEmpty()) {
            showMessage(printer.failure(), MessageFlags::IconError);
            return done;
        }
        done = true;
        // Asked once the job is closed, so that no job stays open behind a message box.
        if (result.logoFailed) {
            showMessage(logoFailedText());
        }
        if (options.showPrinted) {
            showMessage(printedText());
        }
        if (!options.askReprint ||
            showMessage(reprintQuestion(), MessageFlags::YesNo) != MessageResult::Yes) {
            return true;
        }
    }
}

ReceiptLogoSource ReceiptPrinter::logoFrom(ODBCDB& db) {
    return [&db]() -> std::optional<ReceiptLogo> {
        SettingsRecord row;
        if (!readSettingsRecord(db, row, settings_sql::selectById())) {
            return std::nullopt;
        }
        return ReceiptLogo{row.logo, row.logoOffset};
    };
}

bool ReceiptPrinter::storedPrintLogo(ODBCDB& db, bool fallback) {
    SettingsRecord row;
    if (!readSettingsRecord(db, row, settings_sql::selectById())) {
        return fallback;
    }
    return SettingsRecord::isYes(row.printLogo);
}

bool ReceiptPrinter::printFromWindow(SalesEntryWindow& window, const Receipt& receipt, ODBCDB& db,
                                     const PrintSteps& steps) {
    Options options = Options::from(window.settings());
    options.layout.printLogo = storedPrintLogo(db, options.layout.printLogo);
    // A plain component when printing did not register its printer type.
    auto* component = dynamic_cast<PrinterComponent*>(&window.handles().打印机1);
    if (component != nullptr) {
        return print(component->printer(), receipt, options, logoFrom(db), steps);
    }
    // A window without its printer component still prints, with the stored pen of the others.
    Printer printer;
    printer.setOwnerWidget(window.window());
    printer.setPenType(3);
    return print(printer, receipt, options, logoFrom(db), steps);
}

void installReceiptPrinting(SalesModule& module) {
    ODBCDB& db = module.database();
    module.setPrintHandler(
        [&db](SalesEntryWindow& window, const Receipt& receipt, const PrintSteps& steps) {
            return ReceiptPrinter::printFromWindow(window, receipt, db, steps);
        });
    module.setPreviewHandler([&db](SalesEntryWindow& window, const Receipt& receipt) {
        FormManager* forms = window.window()->manager();
        if (forms == nullptr) {
            forms = FormManager::instance();
        }
        if (forms != nullptr) {
            ReceiptPrintSettings settings = ReceiptPrintSettings::from(window.settings());
            settings.printLogo = ReceiptPrinter::storedPrintLogo(db, settings.printLogo);
            PreviewWindow::show(*forms, receipt, settings, ReceiptPrinter::logoFrom(db));
        }
    });
}

}  // namespace tillora
