#pragma once

#include "forms/window_logic.h"
#include "formset/customers_handles.h"

#include <vector>

#include "data/master_data.h"

namespace tillora {

class FormWindow;
class ListView;
class ODBCDB;

// The customer window: list, add, change, delete and search the rows of 客户资料.
class CustomersWindow : public WindowLogic<CustomersWindow> {
    Q_OBJECT

  public:
    static constexpr int kNameLength = 50;
    static constexpr int kPhoneLength = 100;

    CustomersWindow(ODBCDB& db, FormWindow* window);

    // Shows the rows of a list or search statement.
    void fill(const QString& statement = master_sql::listCustomers());
    void rowChanged(int row);
    void add();
    void change();
    void remove();
    // Name text first; the phone text when the name is empty; every row when both are.
    void search();

  private:
    ListView* list() const;
    bool inputFits(const QString& name, const QString& phone) const;
    int selectedId() const;

    ODBCDB& db_;
    CustomersHandles ui_;
    std::vector<Customer> rows_;
};

}  // namespace tillora
