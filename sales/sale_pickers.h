#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "data/master_data.h"
#include "formset/sales_entry_handles.h"

namespace tillora {

class SalesModule;

// The pickers and ticks of the sales entry window: cash, cashier, payment method, customer and
// phone drop-downs, and the ticks stored in the settings row the moment they change.
class SalePickers {
  public:
    SalePickers(SalesModule& module, const SalesEntryHandles& ui) : module_(module), ui_(ui) {}

    void fillPaymentMethods();
    void fillCustomers();
    void fillCashiers();

    // A name a sale may be filed under: a user listed in 用户登录, or the one logged in (when the
    // list can't be read).
    bool isCashier(const QString& name) const;

    void chooseCash(int index);
    void chooseCashier(int index);
    void choosePaymentMethod(int index);
    void chooseCustomer(int index);
    void choosePhone(int index);

    void discountTicked();
    void paymentTicked();
    void customerTicked();
    void phoneTicked();
    // The payment method box as the tick says: "现金" when it is off.
    void applyPaymentTick();

    static QString cash() { return QStringLiteral("现金"); }

  private:
    // The tick is stored at once; when that fails the box goes back to its stored state.
    bool storeTick(CheckBox& box, const QString& statementOn, const QString& statementOff);

    SalesModule& module_;
    const SalesEntryHandles& ui_;
    std::vector<PaymentMethod> paymentMethods_;
    std::vector<Customer> customers_;
    QStringList cashiers_;
};

}  // namespace tillora
