#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

#include "data/master_data.h"
#include "data/settings_record.h"
#include "formset/sales_entry_handles.h"
#include "sales/product_catalogue.h"
#include "sales/receipt.h"

namespace tillora {

class ReceiptNumbering;
class SaleRecorder;
struct RecordOutcome;
class ProductLookup;
class SalesModule;

// The logic of the sales entry window: one receipt composed at a time in the window's controls,
// which hold the receipt (there is no other copy of it). Lives as a child of its FormWindow.
class SalesEntryWindow : public QObject {
    Q_OBJECT

  public:
    SalesEntryWindow(SalesModule& module, FormWindow* window);

    // The logic of an open sales entry window; nullptr for any other window.
    static SalesEntryWindow* of(FormWindow* window);

    FormWindow* window() const { return window_; }
    const SalesEntryHandles& handles() const { return ui_; }
    // The settings row as read when the window opened (print options, shop name, logo).
    const SettingsRecord& settings() const { return settings_; }

    // Everything printing, the preview and recording need, read from the controls.
    Receipt currentReceipt() const;
    // Stores the receipt shown; on success starts the next one. Messages are shown here.
    bool recordCurrentReceipt();
    // Empty list, zero totals, a fresh receipt number.
    // next: the number the save gave for the next receipt; read anew when empty.
    void startNextReceipt(const QString& next = {});

    // Window start: settings, drop-downs, cashier, receipt number, clock.
    void start();
    // The settings were edited: the shop name, note and print options as stored now, and the
    // products and cashiers as they are listed now.
    void settingsChanged();
    void fillProducts(const QString& typed = {});
    void fillPaymentMethods();
    void fillCustomers();
    void fillCashiers();
    void showReceiptNumber(const QString& next = {});
    void showTime();

    // Keyboard entry: a key pressed in one of the entry boxes (商品名称, 单价, 数量, 实收), as a
    // virtual-key code. True when the key was used here (the box does not see it then).
    bool entryKey(Component* box, int key);
    // The product name was typed into: narrow the products and drop them down.
    void productTyped();
    void productLeft();
    ProductLookup* productLookup() const { return lookup_; }

    // Entry of lines.
    void chooseProduct(int index);
    void addLine();
    void changeLine();
    void deleteLine();
    void copyRowToEntry(int row);

    void updateChange();
    void chooseCash(int index);
    void chooseCashier(int index);
    void choosePaymentMethod(int index);
    void chooseCustomer(int index);
    void choosePhone(int index);

    void discountTicked();
    void paymentTicked();
    void customerTicked();
    void phoneTicked();

    void preview();
    void print();
    void saveOnly();
    // Closing with lines not yet stored asks first; false keeps the window open.
    bool mayClose();

  private:
    struct EntryLine {
        ReceiptLine line;
        bool ok = false;
    };
    // The entry fields as a list line; messages shown when something is missing or too long.
    EntryLine lineFromEntry();
    void setRow(int row, const ReceiptLine& line);
    void renumber();
    void recomputeTotals();
    void rememberProduct(const QString& name, const QString& unitPrice);
    void applyPaymentTick();
    bool storeTick(CheckBox& box, const QString& statementOn, const QString& statementOff);
    double discountedTotal() const;
    // False (after a message) when the cash received is not a plain amount.
    bool cashIsPlain();
    // The recorder of this window: waits for a lock with the window painting, and takes the
    // number inside its transaction unless an administrator typed one.
    void prepare(SaleRecorder& recorder, const ReceiptNumbering& numbering) const;
    void showRecordFailure(const RecordOutcome& outcome);
    // Records the receipt, first settling a sale left unsettled before (found stored with the
    // same lines, that sale is the outcome and nothing new is stored).
    RecordOutcome store(SaleRecorder& recorder, const Receipt& receipt);
    ListView& list() const;
    void onWindowClosed(qint32 windowId);
    void setUpKeyboard();
    void fitShopName();
    // Focuses an entry box with its text selected, so that typing replaces it.
    void focusEntry(EditBox& entry);

    SalesModule& module_;
    FormWindow* window_;
    SalesEntryHandles ui_;
    SettingsRecord settings_;
    ProductCatalogue catalogue_;
    // The products the drop-down shows, in its order.
    std::vector<Product> products_;
    std::vector<PaymentMethod> paymentMethods_;
    std::vector<Customer> customers_;
    QStringList cashiers_;
    ProductLookup* lookup_ = nullptr;
    // The text the products were last narrowed for.
    QString lookedUp_;
    QString proposedNumber_;  // the number last shown by the window itself
    bool finishing_ = false;  // a print or save runs (printing pumps events)
    // A sale whose commit went unanswered and could not be read back yet.
    struct Unsettled {
        QString number;
        int saleId = 0;
        Receipt receipt;
    };
    std::optional<Unsettled> unsettled_;
};

}  // namespace tillora
