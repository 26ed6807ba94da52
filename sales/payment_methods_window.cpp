#include "sales/payment_methods_window.h"
#include "data/master_changes.h"
#include "forms/services/deletion_question.h"

#include "forms/components/list_view.h"
#include "forms/form_window.h"
#include "forms/services/message_service.h"
#include "sales/sales_texts.h"

namespace tillora {

PaymentMethodsWindow::PaymentMethodsWindow(ODBCDB& db, FormWindow* window)
    : WindowLogic(window), db_(db), ui_(*window) {}

ListView* PaymentMethodsWindow::list() const {
    return &ui_.超级列表框1;
}

void PaymentMethodsWindow::fill() {
    rows_ = readPaymentMethods(db_, master_sql::listPaymentMethods());
    ListView* l = list();
    l->clearRows();
    for (const PaymentMethod& m : rows_) {
        l->addRow({QString::number(m.id), m.name});
    }
}

void PaymentMethodsWindow::rowChanged(int row) {
    if (const PaymentMethod* method = shownRow(rows_, row)) {
        ui_.编辑框1.setText(method->name);
    }
}

int PaymentMethodsWindow::selectedId() const {
    return shownRowId(rows_, list()->currentIndex());
}

bool PaymentMethodsWindow::nameFits(const QString& name) const {
    if (name.isEmpty()) {
        showMessage(sales_text::notEmpty(), 0, sales_text::hint());
        return false;
    }
    if (name.size() > kNameLength) {
        showMessage(sales_text::tooLong(QStringLiteral("付款方式"), kNameLength), 0,
                    sales_text::hint());
        return false;
    }
    return true;
}

bool PaymentMethodsWindow::cashIsKept(int id, const QString& newName) const {
    for (const PaymentMethod& method : rows_) {
        if (method.id == id && isCashPaymentMethod(method.name) && !isCashPaymentMethod(newName)) {
            showMessage(sales_text::cashIsKept(), 0, sales_text::hint());
            return true;
        }
    }
    return false;
}

void PaymentMethodsWindow::add() {
    const QString name = ui_.编辑框1.text();
    if (!nameFits(name)) {
        return;
    }
    if (!master_change::addPaymentMethod(db_, name)) {
        showMessage(sales_text::addFailed());
    }
    fill();
}

void PaymentMethodsWindow::change() {
    const int id = selectedId();
    if (id == 0) {
        showMessage(sales_text::selectRowToChange(), 0, sales_text::hint());
        return;
    }
    const QString name = ui_.编辑框1.text();
    if (!nameFits(name)) {
        return;
    }
    if (cashIsKept(id, name)) {
        return;
    }
    if (!master_change::changePaymentMethod(db_, id, name)) {
        showMessage(sales_text::changeFailed());
    }
    fill();
}

void PaymentMethodsWindow::remove() {
    const int id = selectedId();
    if (id == 0) {
        showMessage(sales_text::selectRowToDelete(), 0, sales_text::hint());
        return;
    }
    if (cashIsKept(id, {}) || !confirmDeletion()) {
        return;
    }
    if (!master_change::deletePaymentMethod(db_, id)) {
        showMessage(sales_text::deleteFailed());
    }
    fill();
}

}  // namespace tillora
