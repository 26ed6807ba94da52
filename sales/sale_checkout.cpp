#include "sales/sale_checkout.h"

#include <QApplication>
#include <QScopedValueRollback>

#include "forms/services/message_service.h"
#include "sales/receipt_numbering.h"
#include "sales/receipt_printer.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace {

void hint(const QString& text) {
    showMessage(text, 0, sales_text::hint());
}

QString nothingToPrint() {
    return QStringLiteral("没有可以打印的数据！");
}

std::optional<SettingsRecord> readStored(ODBCDB& db) {
    SettingsRecord row;
    if (!readSettingsRecord(db, row, settings_sql::selectById())) {
        return std::nullopt;
    }
    return row;
}

// The busy cursor while a save waits for the database.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

bool SaleCheckout::ready(const QString& emptyText) {
    if (window_.model().isEmpty()) {
        hint(emptyText);
        return false;
    }
    if (!window_.cashierAccepted()) {
        window_.mend(window_.cashierBox());
        return false;
    }
    // Nothing is stored or printed for cash that does not pay the sale.
    window_.updateChange();
    const QString problem = window_.model().paymentProblem();
    if (!problem.isEmpty()) {
        hint(problem);
        window_.mend(window_.cashBox());
        return false;
    }
    return true;
}

void SaleCheckout::prepare(SaleRecorder& recorder, const ReceiptNumbering& numbering,
                           const std::optional<SettingsRecord>& stored) const {
    // While the save waits for a lock the windows only repaint: a click or a clock tick must
    // not run a handler in the middle of a sale.
    recorder.setWaiting([] { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); });
    // A number an administrator typed is stored as typed (and refused if it is taken).
    if (!window_.numberTyped()) {
        std::optional<ReceiptNumberFormat> format;
        if (stored) {
            format = ReceiptNumberFormat::fromStored(stored->receiptNumberFormat);
        }
        recorder.setNumbering(&numbering, format);
    }
}

void SaleCheckout::showFailure(const RecordOutcome& outcome) {
    // A value to mend is the user's; a failed statement is the database's.
    if (outcome.message.isEmpty()) {
        return;  // the cashier chose so
    }
    if (outcome.failure == RecordFailure::Value) {
        hint(outcome.message);
    } else {
        showMessage(outcome.message);
    }
}

RecordOutcome SaleCheckout::store(const Receipt& receipt,
                                  const std::optional<SettingsRecord>& stored) {
    const BusyCursor busy;
    ReceiptNumbering numbering(module_.database());
    SaleRecorder recorder(module_.database());
    prepare(recorder, numbering, stored);
    if (std::optional<RecordOutcome> earlier = settleBefore(recorder, receipt)) {
        return *earlier;
    }
    RecordOutcome outcome = recorder.record(receipt);
    if (outcome.unsettled()) {
        module_.unsettledSale().keep({outcome.number, outcome.saleId, receipt});
    }
    return outcome;
}

bool SaleCheckout::recordNow() {
    const RecordOutcome outcome = store(window_.currentReceipt(), readStored(module_.database()));
    if (!outcome.stored) {
        showFailure(outcome);
        return false;
    }
    window_.startNextReceipt(outcome.nextNumber);
    return true;
}

bool SaleCheckout::record() {
    if (finishing_ || !ready(nothingToPrint())) {
        return false;
    }
    const QScopedValueRollback<bool> finishing(finishing_, true);
    return recordNow();
}

void SaleCheckout::print() {
    if (finishing_ || !ready(nothingToPrint())) {
        return;  // a second click while the receipt prints, or nothing to print
    }
    const QScopedValueRollback<bool> finishing(finishing_, true);
    const bool save = SettingsRecord::isYes(window_.settings().saveSales);
    const ReceiptPrinting& printing = module_.printing();
    if (!printing.print) {
        // No printing in this build: the sale is still recorded, or nothing happens at all.
        if (save) {
            recordNow();
        } else {
            hint(sales_text::notYetAvailable());
        }
        return;
    }
    // The one read of the settings row for this sale: the logo as stored now, the number's format.
    const std::optional<SettingsRecord> stored = readStored(module_.database());
    SalePrint sale = SalePrint::from(window_.settings(), stored ? &*stored : nullptr);
    Receipt receipt = window_.currentReceipt();
    if (!save) {
        if (printing.print(window_, receipt, sale)) {
            window_.startNextReceipt();
        }
        return;
    }
    // Stored first, printed second: every number on paper is that of a stored sale.
    if (printing.choosePrinter && !printing.choosePrinter(window_)) {
        return;  // no printer chosen: nothing stored, the receipt stays
    }
    const RecordOutcome outcome = store(receipt, stored);
    if (!outcome.stored) {
        if (printing.abandon) {
            printing.abandon(window_);
        }
        showFailure(outcome);
        return;
    }
    receipt.number = outcome.number;
    window_.showNumber(outcome.number);
    sale.options.openDrawer = true;
    if (!printing.print(window_, receipt, sale)) {
        showMessage(sales_text::savedNotPrinted());
    }
    window_.startNextReceipt(outcome.nextNumber);
}

// The sale left uncertain by a lost commit -----------------------------------------------------

RecordOutcome SaleCheckout::settleEarlier(SaleRecorder& recorder) {
    UnsettledSale& kept = module_.unsettledSale();
    RecordOutcome earlier;
    earlier.number = kept.sale()->number;
    earlier.saleId = kept.sale()->saleId;
    earlier.fault = DbFault::CommitUnknown;
    recorder.settle(earlier, kept.sale()->receipt);
    if (!earlier.unsettled()) {
        kept.forget();
        showMessage(earlier.stored ? UnsettledSale::storedText(earlier.number)
                                   : UnsettledSale::droppedText(earlier.number));
    }
    return earlier;
}

std::optional<RecordOutcome> SaleCheckout::settleBefore(SaleRecorder& recorder,
                                                        const Receipt& receipt) {
    if (!module_.unsettledSale().sale()) {
        return std::nullopt;
    }
    const Receipt earlierReceipt = module_.unsettledSale().sale()->receipt;
    RecordOutcome earlier = settleEarlier(recorder);
    if (earlier.unsettled() || !earlier.stored) {
        // Still uncertain: nothing may be stored. Not stored: this receipt goes in its stead.
        return earlier.unsettled() ? std::optional<RecordOutcome>(earlier) : std::nullopt;
    }
    // Stored, it is this receipt, unless the cashier changed it since: then this one is a sale
    // of its own, but only when the cashier says so.
    if (earlierReceipt.lines == receipt.lines && earlierReceipt.cashier == receipt.cashier) {
        return earlier;
    }
    if (showMessage(UnsettledSale::storeChangedText(),
                    MessageFlags::YesNo | MessageFlags::IconQuestion) == MessageResult::Yes) {
        return std::nullopt;
    }
    RecordOutcome declined;
    declined.number = receipt.number;
    declined.fault = DbFault::Other;
    declined.failure = RecordFailure::Value;
    return declined;
}

void SaleCheckout::settleEarlierSale() {
    if (!module_.unsettledSale().sale()) {
        return;
    }
    const BusyCursor busy;
    SaleRecorder recorder(module_.database());
    const RecordOutcome earlier = settleEarlier(recorder);
    if (earlier.unsettled()) {
        showMessage(earlier.message);
    }
}

void SaleCheckout::tellUnsettledAtClose() const {
    if (const auto& kept = module_.unsettledSale().sale()) {
        showMessage(UnsettledSale::closingText(kept->number));
    }
}

}  // namespace tillora
