#include "sales/sale_pickers.h"

#include "data/current_user.h"
#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "forms/input_mode.h"
#include "forms/services/message_service.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"

namespace tillora {

void SalePickers::fillPaymentMethods() {
    paymentMethods_ = readPaymentMethods(module_.database(), master_sql::listPaymentMethods());
    QStringList names;
    for (const PaymentMethod& m : paymentMethods_) {
        names.append(m.name);
    }
    ui_.组合框_付款方式.setItems(names);
}

void SalePickers::fillCustomers() {
    customers_ = readCustomers(module_.database(), master_sql::listCustomers());
    QStringList names, phones;
    for (const Customer& cu : customers_) {
        names.append(cu.name);
        phones.append(cu.phone);
    }
    ui_.组合框_客户.setItems(names);
    ui_.组合框_电话.setItems(phones);
}

void SalePickers::fillCashiers() {
    ODBCDB& db = module_.database();
    cashiers_.clear();
    const int h = db.OpenTable(QStringLiteral("select * from 用户登录"));
    if (h != 0) {
        for (; !db.IsEOF(h); db.MoveNext(h)) {
            cashiers_.append(db.ReadColByName(h, QStringLiteral("用户名")).toText());
        }
        db.CloseTable(h);
    }
    ui_.组合框_收银员.setItems(cashiers_);
}

bool SalePickers::isCashier(const QString& name) const {
    return !name.isEmpty() &&
           (cashiers_.contains(name) || name == CurrentUser::orNobody().userName());
}

void SalePickers::chooseCash(int index) {
    const QStringList items = ui_.组合框_实收.items();
    if (index >= 0 && index < items.size()) {
        ui_.编辑框_实收.setText(items.at(index));
    }
}

void SalePickers::chooseCashier(int index) {
    if (!CurrentUser::orNobody().isAdministrator() || index < 0 || index >= cashiers_.size()) {
        return;
    }
    ui_.编辑框_收银员.setText(cashiers_.at(index));
}

void SalePickers::choosePaymentMethod(int index) {
    if (index >= 0 && index < static_cast<int>(paymentMethods_.size())) {
        ui_.编辑框_付款方式.setText(paymentMethods_[static_cast<std::size_t>(index)].name);
    }
}

void SalePickers::chooseCustomer(int index) {
    if (index < 0 || index >= static_cast<int>(customers_.size())) {
        return;
    }
    const QString name = customers_[static_cast<std::size_t>(index)].name;
    ui_.编辑框_客户.setText(name);
    const std::vector<Customer> found =
        readCustomers(module_.database(), master_sql::customersNamed(name));
    ui_.编辑框_电话.setText(found.empty() ? QString() : found.front().phone);
}

void SalePickers::choosePhone(int index) {
    if (index < 0 || index >= static_cast<int>(customers_.size())) {
        return;
    }
    const QString phone = customers_[static_cast<std::size_t>(index)].phone;
    ui_.编辑框_电话.setText(phone);
    const std::vector<Customer> found =
        readCustomers(module_.database(), master_sql::customersWithPhone(phone));
    ui_.编辑框_客户.setText(found.empty() ? QString() : found.front().name);
}

void SalePickers::discountTicked() {
    ui_.组合框_折扣.setEnabled(ui_.选择框_折扣.isChecked());
}

bool SalePickers::storeTick(CheckBox& box, const QString& statementOn,
                            const QString& statementOff) {
    const bool on = box.isChecked();
    if (module_.database().ExecuteSql(on ? statementOn : statementOff)) {
        return true;
    }
    showMessage(sales_text::changeFailed());
    box.setChecked(!on);
    return false;
}

void SalePickers::applyPaymentTick() {
    const bool on = ui_.选择框_付款方式.isChecked();
    ui_.组合框_付款方式.setEnabled(on);
    EditBox& edit = ui_.编辑框_付款方式;
    edit.setInputMode(on ? InputMode::Normal : InputMode::ReadOnly);
    if (!on) {
        edit.setText(cash());
    } else if (edit.text().isEmpty() && !paymentMethods_.empty()) {
        edit.setText(paymentMethods_.front().name);
    }
}

void SalePickers::paymentTicked() {
    storeTick(ui_.选择框_付款方式, settings_sql::updatePaymentMethodTick(true),
              settings_sql::updatePaymentMethodTick(false));
    applyPaymentTick();
}

void SalePickers::customerTicked() {
    storeTick(ui_.选择框_客户, settings_sql::updateCustomerTick(true),
              settings_sql::updateCustomerTick(false));
}

void SalePickers::phoneTicked() {
    storeTick(ui_.选择框_电话, settings_sql::updatePhoneTick(true),
              settings_sql::updatePhoneTick(false));
}

}  // namespace tillora
