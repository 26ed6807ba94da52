#pragma once

#include <QString>

#include <functional>

namespace tillora {

class FormWindow;
class HandlerRegistry;
class ODBCDB;
struct Receipt;
class SalesEntryWindow;

// What printing a receipt that is also recorded does around the print job. The sale is written
// (holding the write lock) before the job starts, and committed once the job is closed, so a
// receipt is never printed for a sale that can't be stored; no message waits while the lock is
// held (a printer dialog, when one is needed, comes before the sale is written).
struct PrintSteps {
    // Writes the sale; false stops printing. The receipt then carries the number stored.
    std::function<bool(Receipt&)> beforeJob;
    // Commits (printed) or undoes (not printed) the sale; true when it is stored.
    std::function<bool(bool printed)> afterJob;
};

// Owns what the sales windows share (the database, the hooks other parts fill in) and provides the
// handlers of the sales entry, payment-method, customer and receipt number format windows. Must
// outlive every window it serves.
class SalesModule {
  public:
    // Prints the receipt, with the recording steps around the job when the sale is recorded;
    // true when it was printed.
    using PrintHandler = std::function<bool(SalesEntryWindow&, const Receipt&, const PrintSteps&)>;
    using PreviewHandler = std::function<void(SalesEntryWindow&, const Receipt&)>;
    using WindowHook = std::function<void(FormWindow* owner)>;

    explicit SalesModule(ODBCDB& db);

    void registerHandlers(HandlerRegistry& registry);

    ODBCDB& database() const { return db_; }
    const PrintHandler& printHandler() const { return print_; }
    void setPrintHandler(PrintHandler handler) { print_ = std::move(handler); }
    const PreviewHandler& previewHandler() const { return preview_; }
    void setPreviewHandler(PreviewHandler handler) { preview_ = std::move(handler); }
    // The menu's 软件设置 and 统计销售 open windows of other parts of the program.
    const WindowHook& settingsOpener() const { return openSettings_; }
    void setSettingsOpener(WindowHook hook) { openSettings_ = std::move(hook); }
    const WindowHook& statisticsOpener() const { return openStatistics_; }
    void setStatisticsOpener(WindowHook hook) { openStatistics_ = std::move(hook); }

    // Whether a line added to a receipt puts its product among the remembered ones; switched on
    // the settings window, for the run only.
    bool remembersProducts() const { return rememberProducts_; }
    void setRemembersProducts(bool on) { rememberProducts_ = on; }

  private:
    ODBCDB& db_;
    PrintHandler print_;
    PreviewHandler preview_;
    WindowHook openSettings_;
    WindowHook openStatistics_;
    bool rememberProducts_ = true;
};

}  // namespace tillora
