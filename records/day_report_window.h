#pragma once

#include "forms/window_logic.h"
#include "formset/day_report_handles.h"
#include "records/day_report.h"

namespace tillora {

class FormWindow;
class RecordsModule;
struct ReceiptPrintSettings;

// The day report window (日结报表): a date, its report in two lists (by cashier and payment
// method with the total, and by hour), its preview on the panel beside them, printing on the
// receipt printer and the export. An ordinary user's report holds only their own sales.
// Keyboard: the date has the focus when it opens, Enter shows the report, Esc closes.
class DayReportWindow : public WindowLogic<DayReportWindow> {
    Q_OBJECT

  public:
    DayReportWindow(RecordsModule& module, FormWindow* window);

    // Today's report.
    void start();
    // Reads the report of the date in the box; "查询失败！" when it can't be read.
    void show();
    void preview();
    // Another day in the box: its report, and its preview when one is drawn.
    void dayChanged();
    void print();
    void exportReport();
    void close();

    const DayReport& report() const { return report_; }

  private:
    bool current();
    ReceiptPrintSettings printSettings() const;

    RecordsModule& module_;
    DayReportHandles ui_;
    DayReport report_;
    bool shown_ = false;
    bool started_ = false;
    bool previewed_ = false;  // the panel shows a report
};

}  // namespace tillora
