#pragma once

#include <QString>

#include <functional>

namespace tillora {

class FormWindow;
class HandlerRegistry;
class ODBCDB;
struct Receipt;
class SalesEntryWindow;

// What printing a receipt that is also recorded does before the print job. The sale is stored
// (committed) before anything goes to the printer, so that a receipt number on paper is always
// that of a stored sale, and a sale the database refuses prints nothing.
struct PrintSteps {
    // Stores the sale; false stops printing. The receipt then carries the number stored.
    std::function<bool(Receipt&)> record;
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
    // 查询统计 -> 日结报表.
    const WindowHook& dayReportOpener() const { return openDayReport_; }
    void setDayReportOpener(WindowHook hook) { openDayReport_ = std::move(hook); }

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
    WindowHook openDayReport_;
    bool rememberProducts_ = true;
};

}  // namespace tillora
