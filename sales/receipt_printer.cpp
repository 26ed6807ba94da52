#include "sales/receipt_printer.h"
#include "data/operation_trail.h"

#include <QFile>
#include <QScopeGuard>

#include <memory>

#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "platform/till_settings_file.h"
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

namespace {

const QString kUnprintedFile = QStringLiteral("tillora-unprinted.conf");
constexpr char kUnprintedKey[] = "receipt";

// While it is there, the receipt of a stored sale may not have reached the printer.
class UnprintedMark {
  public:
    explicit UnprintedMark(const QString& number) : active_(!number.isEmpty()) {
        if (active_) {
            till_settings_file::write(kUnprintedFile,
                                      QByteArray("# 打印中的小票，打印完毕后删除\n") +
                                          kUnprintedKey + " = " + number.toUtf8() + '\n',
                                      false);
        }
    }
    // Kept when the program ends without the receipt printed: the next start tells it. Otherwise
    // the cashier saw the outcome.
    ~UnprintedMark() {
        if (active_ && (printed_ || !Printer::endWaiting())) {
            QFile::remove(till_settings_file::path(kUnprintedFile));
        }
    }
    void printed() { printed_ = true; }
    UnprintedMark(const UnprintedMark&) = delete;
    UnprintedMark& operator=(const UnprintedMark&) = delete;

  private:
    bool active_;
    bool printed_ = false;
};

}  // namespace

QString ReceiptPrinter::jobTitle(const Receipt& receipt) {
    if (receipt.number.isEmpty()) {
        return QStringLiteral("小票预览");
    }
    return QStringLiteral("小票 ") + receipt.number +
           (receipt.reprint ? QStringLiteral(" 重印") : QString());
}

QString ReceiptPrinter::takeUnprinted() {
    const QString number =
        till_settings_file::read(kUnprintedFile).value(QLatin1String(kUnprintedKey));
    QFile::remove(till_settings_file::path(kUnprintedFile));
    return number;
}

QString ReceiptPrinter::unprintedText(const QString& number) {
    return QStringLiteral(
               "上次结束时，单号 %1 的小票没有打印完！\r\n这笔销售已经保存，"
               "可在统计销售中用打印记录重印。")
        .arg(number);
}

bool ReceiptPrinter::print(Printer& printer, const Receipt& receipt, const Options& options,
                           const ReceiptLogoSource& logo) {
    // Only a sale just stored opens the drawer: its receipt is the one to be told of when the
    // program ends before the printer took it.
    UnprintedMark mark(options.openDrawer ? receipt.number : QString());
    // A name the printer component carries is kept; otherwise the job is named after the receipt
    // for this print alone.
    const QString ownName = printer.documentName();
    const auto restoreName = qScopeGuard([&] { printer.setDocumentName(ownName); });
    if (ownName.isEmpty()) {
        printer.setDocumentName(jobTitle(receipt));
    }
    bool done = false;
    for (;;) {
        // The first job may have been opened when the printer was chosen.
        if (!printer.isPrinting() && !printer.StartPrint(false, true)) {
            return done;
        }
        ReceiptPrintSettings layout = options.layout;
        layout.paperWidth = printer.receiptWidth();
        const ReceiptLayoutResult result =
            ReceiptLayout::draw(printer, receipt, layout, ReceiptLayout::Labels::Paper, logo);
        // The drawer opens for the stored cash sale, once, with its first receipt.
        if (options.openDrawer && !done && isCashSale(receipt) && TillPrinter::read().openDrawer) {
            printer.requestDrawerPulse();
        }
        printer.EndPrint();
        const bool taken = printer.cancelled() == 0 && printer.failure().isEmpty();
        if (taken) {
            mark.printed();
        }
        if (printer.cancelled() != 0 || Printer::endWaiting()) {
            return done || taken;  // nothing more to say: aborted, or the program ends
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

bool ReceiptPrinter::choosePrinter(Printer& printer) {
    return !Printer::mustChoosePrinter() || printer.StartPrint(false, true);
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

SalePrint SalePrint::from(const SettingsRecord& shown, const SettingsRecord* stored) {
    SalePrint sale;
    sale.options = ReceiptPrinter::Options::from(shown);
    if (stored != nullptr) {
        sale.options.layout.printLogo = SettingsRecord::isYes(stored->printLogo);
        sale.logo = ReceiptLogo{stored->logo, stored->logoOffset};
    }
    return sale;
}

SalePrint SalePrint::read(ODBCDB& db, const SettingsRecord& shown) {
    SettingsRecord row;
    const bool read = readSettingsRecord(db, row, settings_sql::selectById());
    return from(shown, read ? &row : nullptr);
}

ReceiptLogoSource SalePrint::logoSource() const {
    return [logo = logo] { return logo; };
}

namespace {

// The window's 打印机1; a plain component when printing did not register its printer type, and
// then a printer of the window's own, with the stored pen of the others.
Printer& printerOf(SalesEntryWindow& window) {
    if (auto* component = dynamic_cast<PrinterComponent*>(&window.handles().打印机1)) {
        return component->printer();
    }
    auto* own = window.findChild<Printer*>(QString(), Qt::FindDirectChildrenOnly);
    if (own == nullptr) {
        own = new Printer(&window);
        own->setOwnerWidget(window.window());
        own->setPenType(3);
    }
    return *own;
}

}  // namespace

void installReceiptPrinting(SalesModule& module) {
    ReceiptPrinting printing;
    printing.choosePrinter = [](SalesEntryWindow& window) {
        return ReceiptPrinter::choosePrinter(printerOf(window));
    };
    printing.abandon = [](SalesEntryWindow& window) { printerOf(window).discardJob(); };
    ODBCDB& db = module.database();
    printing.print = [&db](SalesEntryWindow& window, const Receipt& receipt,
                           const SalePrint& sale) {
        const bool printed =
            ReceiptPrinter::print(printerOf(window), receipt, sale.options, sale.logoSource());
        // Every opening of the drawer is in the trail, a 0.00 cash sale's too.
        if (printed && sale.options.openDrawer && ReceiptPrinter::isCashSale(receipt) &&
            TillPrinter::read().openDrawer) {
            operation_trail::note(db, {QStringLiteral("打开钱箱"),
                                       QStringLiteral("销售票号 ") + receipt.number,
                                       {},
                                       QStringLiteral("打印小票，金额 ") + receipt.discountedTotal,
                                       {}});
        }
        return printed;
    };
    module.setPrinting(std::move(printing));
    module.setPreviewHandler([&db](SalesEntryWindow& window, const Receipt& receipt) {
        FormManager* forms = window.window()->manager();
        if (forms == nullptr) {
            forms = FormManager::instance();
        }
        if (forms != nullptr) {
            const SalePrint sale = SalePrint::read(db, window.settings());
            PreviewWindow::show(*forms, receipt, sale.options.layout, sale.logoSource());
        }
    });
}

}  // namespace tillora
