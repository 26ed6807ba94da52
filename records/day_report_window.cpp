#include "records/day_report_window.h"

#include "data/current_user.h"
#include "data/settings_record.h"
#include "forms/components/date_box.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "print/draw_panel.h"
#include "print/draw_panel_component.h"
#include "print/printer.h"
#include "print/printer_component.h"
#include "records/day_report_layout.h"
#include "records/records_module.h"
#include "records/spreadsheet_export.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"

namespace tillora {

DayReportWindow::DayReportWindow(RecordsModule& module, FormWindow* window)
    : WindowLogic(window), module_(module), ui_(*window) {}

void DayReportWindow::start() {
    // Enter in the date shows its report.
    window_->setDefaultButton(&ui_.按钮_显示);
    ui_.日期框_日期.setJetDay(jetDayFromDateTime(QDateTime(Clock::now().date(), QTime(0, 0))));
    show();
    started_ = true;
    ui_.日期框_日期.widget()->setFocus();
}

void DayReportWindow::show() {
    const QDate day = dateTimeFromJetDay(ui_.日期框_日期.jetDay()).date();
    const CurrentUser& user = CurrentUser::orNobody();
    // Only an administrator sees every cashier's sales.
    const std::optional<QString> only =
        user.isAdministrator() ? std::nullopt : std::optional<QString>(user.userName());
    ui_.超级列表框_汇总.clearRows();
    ui_.超级列表框_时段.clearRows();
    shown_ = DayReport::read(module_.database(), day, only, &report_);
    if (!shown_) {
        ui_.标签_范围.setText(QString());
        showMessage(sales_text::queryFailed());
        return;
    }
    ui_.超级列表框_汇总.addRows(report_.rowCells());
    ui_.超级列表框_时段.addRows(report_.hourCells());
    ui_.标签_范围.setText(QStringLiteral("%1  收银员：%2  首单：%3  末单：%4")
                              .arg(day.toString(QStringLiteral("yyyy-MM-dd")),
                                   report_.onlyCashier.value_or(DayReport::everyone()),
                                   report_.firstNumber, report_.lastNumber));
}

// The report of the date as it is in the box now, read again when the date was changed.
bool DayReportWindow::current() {
    if (!shown_ || report_.day != dateTimeFromJetDay(ui_.日期框_日期.jetDay()).date()) {
        show();
    }
    return shown_;
}

ReceiptPrintSettings DayReportWindow::printSettings() const {
    SettingsRecord settings;
    readSettingsRecord(module_.database(), settings);
    return ReceiptPrintSettings::from(settings);
}

void DayReportWindow::preview() {
    if (!current()) {
        return;
    }
    auto* component = dynamic_cast<DrawPanelComponent*>(&ui_.画板1);
    if (component == nullptr || component->panel() == nullptr) {
        return;
    }
    component->panel()->Clear();
    previewed_ = true;
    DayReportLayout::draw(*component->panel(), report_, printSettings(), Clock::now());
}

void DayReportWindow::dayChanged() {
    // The start sets the day before anything is shown.
    if (!started_) {
        return;
    }
    show();
    auto* component = dynamic_cast<DrawPanelComponent*>(&ui_.画板1);
    if (!previewed_ || component == nullptr || component->panel() == nullptr) {
        return;
    }
    // Never another day's figures beside this day's date: a report that can't be read leaves
    // the panel empty.
    if (shown_) {
        preview();
    } else {
        component->panel()->Clear();
    }
}

void DayReportWindow::print() {
    if (!current()) {
        return;
    }
    // A plain component when printing did not register its printer type.
    if (auto* component = dynamic_cast<PrinterComponent*>(&ui_.打印机1)) {
        DayReportLayout::print(component->printer(), report_, printSettings());
        return;
    }
    Printer printer;
    printer.setOwnerWidget(window_);
    printer.setPenType(3);
    DayReportLayout::print(printer, report_, printSettings());
}

void DayReportWindow::exportReport() {
    if (!current()) {
        return;
    }
    QList<QStringList> rows = report_.rowCells();
    if (!rows.isEmpty()) {
        // The hours under the rows, and what the report is of.
        rows.append(QStringList());
        rows.append(DayReport::hourTitles());
        rows.append(report_.hourCells());
        rows.append(QStringList());
        rows.append({QStringLiteral("日期"), report_.day.toString(QStringLiteral("yyyy-MM-dd")),
                     QStringLiteral("首单"), report_.firstNumber, QStringLiteral("末单"),
                     report_.lastNumber});
    }
    const QStringList titles = DayReport::rowTitles();
    for (QStringList& row : rows) {
        while (row.size() < titles.size()) {
            row.append(QString());
        }
    }
    SpreadsheetExportOptions options;
    options.suggestedName =
        exportName(DayReportLayout::title(), report_.day, QStringLiteral(".xlsx"));
    exportToSpreadsheet(window_, titles, rows, options);
}

void DayReportWindow::close() {
    if (FormManager* manager = window_->manager()) {
        manager->close(static_cast<qint32>(FormId::DayReport));
    }
}

}  // namespace tillora
