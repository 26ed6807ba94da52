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

QDate dateOf(const Component* box) {
    const auto* date = dynamic_cast<const DateBox*>(box);
    return date != nullptr ? dateTimeFromJetDay(date->jetDay()).date() : QDate();
}

void setDate(Component* box, const QDate& day) {
    if (auto* date = dynamic_cast<DateBox*>(box)) {
        date->setJetDay(jetDayFromDateTime(QDateTime(day, QTime(0, 0))));
    }
}

}  // namespace

SalesQueryDialog::SalesQueryDialog(RecordsModule& module, FormWindow* window)
    : QObject(window), module_(module), window_(window) {
    setObjectName(QStringLiteral("salesQueryLogic"));
}

SalesQueryDialog* SalesQueryDialog::of(FormWindow* window) {
    return window != nullptr ? window->findChild<SalesQueryDialog*>(
                                   QStringLiteral("salesQueryLogic"), Qt::FindDirectChildrenOnly)
                             : nullptr;
}

bool SalesQueryDialog::ticked(const char* box) const {
    const Component* c = window_->component(QString::fromUtf8(box));
    return c != nullptr && c->isChecked();
}

void SalesQueryDialog::start() {
    ODBCDB& db = module_.database();
    QStringList users;
    const int h = db.OpenTable(QStringLiteral("select * from 用户登录"));
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        users.append(db.ReadColByName(h, QStringLiteral("用户名")).toText());
    }
    db.CloseTable(h);
    window_->component(QStringLiteral("组合框_收银员"))->setItems(users);
    window_->setText(QStringLiteral("组合框_收银员"), QString());

    SalesQuery q;
    if (module_.lastQuery()) {
        q = *module_.lastQuery();
    } else {
        q.from = q.to = Clock::now().date();
    }
    show(q);
}

void SalesQueryDialog::show(const SalesQuery& q) {
    window_->component(QStringLiteral("选择框_时间"))->setChecked(q.byDate);
    setDate(window_->component(QStringLiteral("日期框1")), q.from);
    setDate(window_->component(QStringLiteral("日期框2")), q.to);
    window_->component(QStringLiteral("选择框_数量"))->setChecked(q.byQuantity);
    window_->setText(QStringLiteral("编辑框_数量1"), q.quantity);
    window_->component(QStringLiteral("选择框_金额"))->setChecked(q.byAmount);
    window_->setText(QStringLiteral("编辑框_销售金额1"), q.amount);
    window_->component(QStringLiteral("选择框_收银员"))->setChecked(q.byCashier);
    window_->setText(QStringLiteral("组合框_收银员"), q.cashier);
    const bool exact = q.mode == SalesQuery::Mode::Exact;
    window_->component(QStringLiteral("单选框_模糊"))->setChecked(!exact);
    window_->component(QStringLiteral("单选框_精确"))->setChecked(exact);
    conditionTicked();
}

void SalesQueryDialog::conditionTicked() {
    const bool byDate = ticked("选择框_时间");
    window_->component(QStringLiteral("日期框1"))->setEnabled(byDate);
    window_->component(QStringLiteral("日期框2"))->setEnabled(byDate);
    window_->component(QStringLiteral("编辑框_数量1"))->setEnabled(ticked("选择框_数量"));
    window_->component(QStringLiteral("编辑框_销售金额1"))->setEnabled(ticked("选择框_金额"));
    window_->component(QStringLiteral("组合框_收银员"))->setEnabled(ticked("选择框_收银员"));
}

SalesQuery SalesQueryDialog::conditions() const {
    SalesQuery q;
    q.mode = ticked("单选框_精确") ? SalesQuery::Mode::Exact : SalesQuery::Mode::Fuzzy;
    q.byDate = ticked("选择框_时间");
    q.from = dateOf(window_->component(QStringLiteral("日期框1")));
    q.to = dateOf(window_->component(QStringLiteral("日期框2")));
    q.byQuantity = ticked("选择框_数量");
    q.quantity = window_->text(QStringLiteral("编辑框_数量1"));
    q.byAmount = ticked("选择框_金额");
    q.amount = window_->text(QStringLiteral("编辑框_销售金额1"));
    q.byCashier = ticked("选择框_收银员");
    q.cashier = window_->text(QStringLiteral("组合框_收银员"));
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
