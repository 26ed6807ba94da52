#pragma once

#include <QString>

#include <optional>

#include "data/settings_record.h"
#include "forms/window_logic.h"
#include "formset/sales_entry_handles.h"
#include "sales/product_entry.h"
#include "sales/receipt.h"
#include "sales/receipt_model.h"
#include "sales/sale_checkout.h"
#include "sales/sale_pickers.h"

namespace tillora {

class BarcodeScanner;
class SalesModule;

// The logic of the sales entry window: renders the receipt being composed (a ReceiptModel) in
// the window's controls and passes the cashier's edits to it. Lives as a child of its
// FormWindow.
class SalesEntryWindow : public WindowLogic<SalesEntryWindow> {
    Q_OBJECT

  public:
    SalesEntryWindow(SalesModule& module, FormWindow* window);

    const SalesEntryHandles& handles() const { return ui_; }
    // The settings row as read when the window opened (print options, shop name, logo).
    const SettingsRecord& settings() const { return settings_; }
    const ReceiptModel& model() const { return model_; }
    ProductEntry& products() { return products_; }
    SalePickers& pickers() { return pickers_; }

    // Everything printing, the preview and recording need: the lines and totals of the model,
    // with the header as the boxes show it.
    Receipt currentReceipt();
    // Stores the receipt shown; on success starts the next one. Messages are shown here.
    bool recordCurrentReceipt() { return checkout_.record(); }
    // Empty list, zero totals, a fresh receipt number.
    // next: the number the save gave for the next receipt; read anew when empty.
    void startNextReceipt(const QString& next = {});

    // Window start: settings, drop-downs, cashier, receipt number, clock.
    void start();
    // The settings were edited: the shop name, note and print options as stored now, and the
    // products and cashiers as they are listed now.
    void settingsChanged();
    void fillProducts(const QString& typed = {}) { products_.fill(typed); }
    ProductLookup* productLookup() const { return products_.lookup(); }
    void showReceiptNumber(const QString& next = {});
    // The number a sale stored under, shown while its receipt prints.
    void showNumber(const QString& number);
    // An administrator typed a number of their own over the one proposed.
    bool numberTyped() const;
    void showTime();

    // Keyboard entry: a key pressed in one of the entry boxes (商品名称, 单价, 数量, 实收), as a
    // virtual-key code. True when the key was used here (the box does not see it then).
    bool entryKey(Component* box, int key);

    // Entry of lines.
    void addLine();
    void changeLine();
    void deleteLine();
    void copyRowToEntry(int row);
    // The cash received was typed or picked: the change follows.
    void updateChange();

    // A barcode scanned anywhere in the window, or typed into 商品名称 and ended with Enter:
    // its product is sold (one more of the last line when it is that line's product). An
    // unknown code is said, and an administrator may register it on the spot. False when the
    // code is no product's (nothing was added).
    bool scanned(const QString& code);
    void addScannedProduct(const Product& product);
    // The text of 商品名称 on Enter when it is a product's code: sold as a scan. False (and
    // nothing done) otherwise.
    bool sellTypedCode(const QString& typed);

    // Delete in the item list takes the selected line off, as 删除 does; true when it was used.
    bool listKey(int key, int state);

    // The cashier typed or picked is a user; otherwise says so, puts back the cashier shown
    // before and gives the box the focus.
    bool cashierAccepted();
    // A value that stops the receipt: the box takes the focus (text selected) when the finish
    // is over, instead of the product name.
    void mend(EditBox& box);
    EditBox& cashBox() { return ui_.编辑框_实收; }
    EditBox& cashierBox() { return ui_.编辑框_收银员; }

    void preview();
    // 打印小票 and 仅保存小票: whatever came of them, the focus is then in the product name
    // (text selected) for the next customer, or in the box to mend.
    void print();
    void saveOnly();
    // Closing with lines not yet stored asks first; false keeps the window open.
    bool mayClose();

  private:
    // The entry boxes as a checked line; the reason shown when they can't make one.
    std::optional<SaleLine> lineFromEntry();
    // The discount of a line entered now: the list's choice while the tick is on.
    std::optional<QString> entryDiscount() const;
    // Puts a checked line at the end of the list and selects it.
    void appendLine(const SaleLine& line);
    // An administrator registers an unknown code; the product stored, or none.
    std::optional<Product> registerCode(const QString& code);
    // The payment method of the receipt: "现金" while the tick is off.
    QString paymentMethod() const;
    void finished();
    void showLine(int row);
    void showTotals();
    void setUpKeyboard();
    void fitShopName();
    void onWindowClosed(qint32 windowId);

    SalesModule& module_;
    SalesEntryHandles ui_;
    SettingsRecord settings_;
    ReceiptModel model_;
    ProductEntry products_;
    SalePickers pickers_;
    SaleCheckout checkout_;
    QString proposedNumber_;  // the number last shown by the window itself
    BarcodeScanner* scanner_ = nullptr;
    QString cashierShown_;  // the last cashier accepted for this receipt
    EditBox* mending_ = nullptr;
    bool receiptFinished_ = false;  // no line since the last receipt was finished
};

}  // namespace tillora
