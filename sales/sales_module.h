#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "sales/new_product_dialog.h"
#include "sales/unsettled_sale.h"

namespace tillora {

class FormWindow;
class HandlerRegistry;
class ODBCDB;
struct Receipt;
struct SalePrint;
class SalesEntryWindow;

// How the sales entry window prints. A recorded sale goes: choosePrinter, store, print; so a
// receipt number on paper is always that of a stored sale, a sale the database refuses prints
// nothing, and a printer choice the cashier cancels stores nothing.
struct ReceiptPrinting {
    // A printer is there (asked for when there is no default one); false stores nothing.
    std::function<bool(SalesEntryWindow&)> choosePrinter;
    // The sale was not stored after all: a job choosePrinter opened prints nothing.
    std::function<void(SalesEntryWindow&)> abandon;
    // Prints the receipt; true when it was printed.
    std::function<bool(SalesEntryWindow&, const Receipt&, const SalePrint&)> print;
};

// Owns what the sales windows share (the database, the hooks other parts fill in) and provides the
// handlers of the sales entry, payment-method, customer and receipt number format windows. Must
// outlive every window it serves.
class SalesModule {
  public:
    using PreviewHandler = std::function<void(SalesEntryWindow&, const Receipt&)>;
    using WindowHook = std::function<void(FormWindow* owner)>;

    explicit SalesModule(ODBCDB& db);

    void registerHandlers(HandlerRegistry& registry);

    ODBCDB& database() const { return db_; }
    // Empty when this build does not print.
    const ReceiptPrinting& printing() const { return print_; }
    void setPrinting(ReceiptPrinting printing) { print_ = std::move(printing); }
    const PreviewHandler& previewHandler() const { return preview_; }
    void setPreviewHandler(PreviewHandler handler) { preview_ = std::move(handler); }
    // The menu's 软件设置 and 统计销售 open windows of other parts of the program.
    const WindowHook& settingsOpener() const { return openSettings_; }
    void setSettingsOpener(WindowHook hook) { openSettings_ = std::move(hook); }
    const WindowHook& statisticsOpener() const { return openStatistics_; }
    void setStatisticsOpener(WindowHook hook) { openStatistics_ = std::move(hook); }
    // 查询统计 -> 日结报表.
    const WindowHook& dayReportOpener() const { return openDayReport_; }
    void setDayReportOpener(WindowHook hook) { openDayReport_ = std::move(hook); }
    // 查询统计 -> 操作记录.
    const WindowHook& trailOpener() const { return openTrail_; }
    void setTrailOpener(WindowHook hook) { openTrail_ = std::move(hook); }

    // Whether a line added to a receipt puts its product among the remembered ones; switched on
    // the settings window, for the run only.
    // A sale left uncertain by a lost commit, kept until settled (see SaleCheckout).
    UnsettledSale& unsettledSale() { return unsettled_; }
    // Where it is kept across runs (the program: in its data folder); what is there is read now.
    void keepUnsettledSaleIn(const QString& file) { unsettled_ = UnsettledSale(file); }

    bool remembersProducts() const { return rememberProducts_; }
    void setRemembersProducts(bool on) { rememberProducts_ = on; }

    // Asks an administrator for the name and price of a scanned code no product has; tests
    // answer in its place. Without a hook the program's own dialog asks.
    using NewProductPrompt =
        std::function<std::optional<NewProductInput>(const QString& code, FormWindow* owner)>;
    std::optional<NewProductInput> askNewProduct(const QString& code, FormWindow* owner) const;
    void setNewProductPrompt(NewProductPrompt prompt) { newProduct_ = std::move(prompt); }

  private:
    ODBCDB& db_;
    ReceiptPrinting print_;
    PreviewHandler preview_;
    WindowHook openSettings_;
    WindowHook openStatistics_;
    WindowHook openDayReport_;
    WindowHook openTrail_;
    bool rememberProducts_ = true;
    NewProductPrompt newProduct_;
    UnsettledSale unsettled_;
};

}  // namespace tillora
