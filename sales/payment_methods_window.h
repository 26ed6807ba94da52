#pragma once

#include "forms/window_logic.h"
#include "formset/payment_methods_handles.h"

#include <vector>

#include "data/master_data.h"

namespace tillora {

class FormWindow;
class ListView;
class ODBCDB;

// The payment-method window: list, add, rename and delete the rows of 付款方式.
class PaymentMethodsWindow : public WindowLogic<PaymentMethodsWindow> {
    Q_OBJECT

  public:
    static constexpr int kNameLength = 50;

    PaymentMethodsWindow(ODBCDB& db, FormWindow* window);

    void fill();
    void rowChanged(int row);
    void add();
    void change();
    void remove();

  private:
    ListView* list() const;
    // The name in 编辑框1 when it may be stored; otherwise the message has been shown.
    bool nameFits(const QString& name) const;
    // True (and told) when the change would delete or rename 现金.
    bool cashIsKept(int id, const QString& newName) const;
    int selectedId() const;

    ODBCDB& db_;
    PaymentMethodsHandles ui_;
    std::vector<PaymentMethod> rows_;
};

}  // namespace tillora
