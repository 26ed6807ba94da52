#include "records/sales_query_dialog.h"

#include "data/odbcdb.h"
#include "forms/component.h"
#include "forms/components/date_box.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "records/records_module.h"
#include "records/sales_records_window.h"
#include "sales/sales_module.h"

namespace tillora {

namespace {

QDate dateOf(const DateBox& box) {
    return dateTimeFromJetDay(box.jetDay()).date();
}

void setDate(DateBox& box, const QDate& day) {
    box.setJetDay(jetDayFromDateTime(QDateTime(day, QTime(0, 0))));
}

}  // namespace

SalesQueryDialog::SalesQueryDialog(RecordsModule& module, FormWindow* window)
    : WindowLogic(window), module_(module), ui_(*window) {}

void SalesQueryDialog::start() {
    // Enter in a box or on a tick box runs the query.
    window_->setDefaultButton(&ui_.按钮1);
    ODBCDB& db = module_.database();
    QStringList users;
    const int h = db.OpenTable(QStringLiteral("select * from 用户登录"));
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        users.append(db.ReadColByName(h, QStringLiteral("用户名")).toText());
    }
    db.CloseTable(h);
    ui_.组合框_收银员.setItems(users);
    ui_.组合框_收银员.setText(QString());

    SalesQuery q;
    if (module_.lastQuery()) {
        q = *module_.lastQuery();
    } else {
        q.from = q.to = Clock::now().date();
    }
    show(q);
}

void SalesQueryDialog::show(const SalesQuery& q) {
    // The dates always apply: a query never lists every sale ever stored.
    ui_.选择框_时间.setChecked(true);
    setDate(ui_.日期框1, q.from);
    setDate(ui_.日期框2, q.to);
    ui_.选择框_数量.setChecked(q.byQuantity);
    ui_.编辑框_数量1.setText(q.quantity);
    ui_.选择框_金额.setChecked(q.byAmount);
    ui_.编辑框_销售金额1.setText(q.amount);
    ui_.选择框_收银员.setChecked(q.byCashier);
    ui_.组合框_收银员.setText(q.cashier);
    const bool exact = q.mode == SalesQuery::Mode::Exact;
    ui_.单选框_模糊.setChecked(!exact);
    ui_.单选框_精确.setChecked(exact);
    conditionTicked();
}

void SalesQueryDialog::conditionTicked() {
    ui_.编辑框_数量1.setEnabled(ui_.选择框_数量.isChecked());
    ui_.编辑框_销售金额1.setEnabled(ui_.选择框_金额.isChecked());
    ui_.组合框_收银员.setEnabled(ui_.选择框_收银员.isChecked());
}

SalesQuery SalesQueryDialog::conditions() const {
    SalesQuery q;
    q.mode = ui_.单选框_精确.isChecked() ? SalesQuery::Mode::Exact : SalesQuery::Mode::Fuzzy;
    q.from = dateOf(ui_.日期框1);
    q.to = dateOf(ui_.日期框2);
    q.byQuantity = ui_.选择框_数量.isChecked();
    q.quantity = ui_.编辑框_数量1.text();
    q.byAmount = ui_.选择框_金额.isChecked();
    q.amount = ui_.编辑框_销售金额1.text();
    q.byCashier = ui_.选择框_收银员.isChecked();
    q.cashier = ui_.组合框_收银员.text();
    return q;
}

void SalesQueryDialog::query() {
    const SalesQuery q = conditions();
    module_.setLastQuery(q);
    FormManager* manager = window_->manager();
    if (manager == nullptr) {
        return;
    }
    if (SalesRecordsWindow* records =
            SalesRecordsWindow::of(manager->window(static_cast<qint32>(FormId::SalesRecords)))) {
        records->fill(records_sql::query(q));
    }
    close();
}

void SalesQueryDialog::close() {
    if (FormManager* manager = window_->manager()) {
        manager->close(static_cast<qint32>(FormId::SalesQuery));
    }
}

}  // namespace tillora
