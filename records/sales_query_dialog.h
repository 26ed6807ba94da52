#pragma once

#include "forms/window_logic.h"
#include "formset/sales_query_handles.h"
#include "records/records_sql.h"

namespace tillora {

class FormWindow;
class RecordsModule;

// The query dialog: date range, quantity, amount and cashier conditions, fuzzy or exact. The date
// range always takes part; of the others only ticked ones do, and their boxes are disabled while
// unticked.
class SalesQueryDialog : public WindowLogic<SalesQueryDialog> {
    Q_OBJECT

  public:
    SalesQueryDialog(RecordsModule& module, FormWindow* window);

    // Today in both dates, the users in 组合框_收银员, the last query's conditions if any.
    void start();
    void conditionTicked();
    SalesQuery conditions() const;
    // Fills the sales records window from the conditions and closes the dialog.
    void query();
    void close();

  private:
    void show(const SalesQuery& q);

    RecordsModule& module_;
    SalesQueryHandles ui_;
};

}  // namespace tillora
