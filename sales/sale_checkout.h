#pragma once

#include <optional>

#include "data/settings_record.h"
#include "sales/receipt.h"
#include "sales/sale_recorder.h"

namespace tillora {

class ReceiptNumbering;
class SalesEntryWindow;
class SalesModule;

// Finishes the receipt of a sales entry window, in a straight line: the settings row read
// once, the printer chosen when one must be, the sale stored, the receipt printed, the next
// receipt begun. Messages are shown here.
class SaleCheckout {
  public:
    SaleCheckout(SalesModule& module, SalesEntryWindow& window)
        : module_(module), window_(window) {}

    // 打印小票: recorded first when 保存销售记录 is on, then printed.
    void print();
    // 仅保存小票: stores the receipt; on success starts the next one.
    bool record();

  private:
    // False (after a hint) for an empty receipt, a cashier who is no user, or cash that does not
    // pay the sale.
    bool ready(const QString& emptyText);
    bool recordNow();
    // The recorder of this window: waits for a lock with the window painting, and takes the
    // number inside its transaction unless an administrator typed one, in the format of the
    // settings row read for this sale (read inside the transaction when that failed).
    void prepare(SaleRecorder& recorder, const ReceiptNumbering& numbering,
                 const std::optional<SettingsRecord>& stored) const;
    // Records the receipt, first settling a sale left unsettled before (found stored with the
    // same lines, that sale is the outcome and nothing new is stored).
    RecordOutcome store(const Receipt& receipt, const std::optional<SettingsRecord>& stored);
    static void showFailure(const RecordOutcome& outcome);

    SalesModule& module_;
    SalesEntryWindow& window_;
    bool finishing_ = false;  // a print or save runs (printing pumps events)

    // A sale left uncertain by a lost commit (kept by the module, across runs).
  public:
    // Settles it at the start of the window, telling the cashier what became of it.
    void settleEarlierSale();
    // Closing the program: the cashier hears that one is still uncertain.
    void tellUnsettledAtClose() const;

  private:
    // Reads it back and tells the cashier, unless it stays uncertain (then nothing is said and
    // nothing else may be stored).
    RecordOutcome settleEarlier(SaleRecorder& recorder);
    // Before `receipt` is stored: the earlier sale settled; its outcome when that is all there
    // is to do (still uncertain, stored and the same receipt, or the cashier declines to store a
    // changed one), nullopt when `receipt` is to be stored.
    std::optional<RecordOutcome> settleBefore(SaleRecorder& recorder, const Receipt& receipt);
};

}  // namespace tillora
