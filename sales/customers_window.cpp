#include "sales/customers_window.h"
#include "data/master_changes.h"
#include "forms/services/deletion_question.h"

#include "forms/component.h"
#include "forms/components/list_view.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "sales/sales_texts.h"

namespace tillora {

CustomersWindow::CustomersWindow(ODBCDB& db, FormWindow* window)
    : WindowLogic(window), db_(db), ui_(*window) {}

ListView* CustomersWindow::list() const {
    return &ui_.超级列表框1;
}

void CustomersWindow::fill(const QString& statement) {
    rows_ = readCustomers(db_, statement);
    ListView* l = list();
    l->clearRows();
    for (const Customer& cu : rows_) {
        l->addRow({QString::number(cu.id), cu.name, cu.phone});
    }
}

void CustomersWindow::rowChanged(int row) {
    if (const Customer* cu = shownRow(rows_, row)) {
        ui_.编辑框_客户.setText(cu->name);
        ui_.编辑框_电话.setText(cu->phone);
    }
}

int CustomersWindow::selectedId() const {
    return shownRowId(rows_, list()->currentIndex());
}

bool CustomersWindow::inputFits(const QString& name, const QString& phone) const {
    if (name.isEmpty() && phone.isEmpty()) {
        showMessage(sales_text::notEmpty(), 0, sales_text::hint());
        return false;
    }
    if (name.size() > kNameLength) {
        showMessage(sales_text::tooLong(QStringLiteral("客户"), kNameLength), 0,
                    sales_text::hint());
        return false;
    }
    if (phone.size() > kPhoneLength) {
        showMessage(sales_text::tooLong(QStringLiteral("电话"), kPhoneLength), 0,
                    sales_text::hint());
        return false;
    }
    return true;
}

void CustomersWindow::add() {
    const QString name = ui_.编辑框_客户.text();
    const QString phone = ui_.编辑框_电话.text();
    if (!inputFits(name, phone)) {
        return;
    }
    if (!master_change::addCustomer(db_, name, phone)) {
        showMessage(sales_text::addFailed());
    }
    fill();
}

void CustomersWindow::change() {
    const int id = selectedId();
    if (id == 0) {
        showMessage(sales_text::selectRowToChange(), 0, sales_text::hint());
        return;
    }
    const QString name = ui_.编辑框_客户.text();
    const QString phone = ui_.编辑框_电话.text();
    if (!inputFits(name, phone)) {
        return;
    }
    if (!master_change::changeCustomer(db_, id, name, phone)) {
        showMessage(sales_text::changeFailed());
    }
    fill();
}

void CustomersWindow::remove() {
    const int id = selectedId();
    if (id == 0) {
        showMessage(sales_text::selectRowToDelete(), 0, sales_text::hint());
        return;
    }
    if (!confirmDeletion()) {
        return;
    }
    if (!master_change::deleteCustomer(db_, id)) {
        showMessage(sales_text::deleteFailed());
    }
    fill();
}

void CustomersWindow::search() {
    const QString name = ui_.编辑框3.text();
    const QString phone = ui_.编辑框4.text();
    const bool fuzzy = ui_.选择框1.isChecked();
    if (!name.isEmpty()) {
        fill(fuzzy ? master_sql::customersNameContaining(name) : master_sql::customersNamed(name));
    } else if (!phone.isEmpty()) {
        fill(fuzzy ? master_sql::customersPhoneContaining(phone)
                   : master_sql::customersWithPhone(phone));
    } else {
        fill();
    }
}

}  // namespace tillora
