#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <vector>

#include "formset/sales_records_handles.h"
#include "records/sale_listing.h"
#include "spreadsheet/spreadsheet_table.h"

class QMenu;

namespace tillora {

class FormWindow;
class ListView;
class RecordsModule;

// The sales records window: the list of stored sales with its totals, the searches that fill it,
// and the operations on the selected sale. Lives as a child of its FormWindow.
class SalesRecordsWindow : public QObject {
    Q_OBJECT

  public:
    enum Column {
        IdColumn,
        NumberColumn,
        TimeColumn,
        QuantityColumn,
        AmountColumn,
        CashierColumn,
        RemarkColumn
    };

    SalesRecordsWindow(RecordsModule& module, FormWindow* window);
    static SalesRecordsWindow* of(FormWindow* window);

    FormWindow* window() const { return window_; }

    // Today's sales.
    void start();
    // Clears the list, runs the statement, shows its rows and their totals. The statement is kept
    // so that the list can be shown again after a change.
    void fill(const QString& sql);
    // The last search again, the same sale selected when it is still there.
    void refresh();
    const QString& lastStatement() const { return lastSql_; }
    const std::vector<SaleRow>& rows() const { return rows_; }

    // The 序号 (sale ID) of the selected row; 0 when none.
    int selectedSaleId() const;
    void selectSale(int saleId);

    void search();
    void openQuery();
    void openDetails();
    void deleteSelected();
    void initialise();
    void reprintSelected();
    void exportList();

    // The popup menu at a place of the list (component-relative), moved 3 pixels right and down.
    void popupMenu(const QPoint& inList);
    QMenu* menu() const { return menu_; }
    // Keys of the list: Enter opens the details, Delete deletes, Shift+F10 shows the menu.
    bool listKey(int key, int state);

    SpreadsheetTable shownList() const;

  private:
    ListView* list() const;
    void onWindowClosed(qint32 windowId);

    RecordsModule& module_;
    FormWindow* window_;
    SalesRecordsHandles ui_;
    std::vector<SaleRow> rows_;
    QString lastSql_;
    QMenu* menu_ = nullptr;
};

}  // namespace tillora
