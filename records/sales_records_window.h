#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QTimer>

#include "forms/window_logic.h"
#include "formset/sales_records_handles.h"
#include "records/sale_listing.h"
#include "spreadsheet/spreadsheet_table.h"

class QMenu;
class QTreeView;

namespace tillora {

class FormWindow;
class ListView;
class RecordsModule;
class SalesListModel;

// The sales records window: the list of stored sales with its totals, the searches that fill it,
// and the operations on the selected sale. Lives as a child of its FormWindow.
// The list is a view over the listing in the template list's place, with its columns and
// captions: a search may find a million sales, and only the rows shown are read.
class SalesRecordsWindow : public WindowLogic<SalesRecordsWindow> {
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

    // Today's sales.
    void start();
    // Rows read at a time after the first ones, between the events of the window.
    static constexpr int kChunk = 50000;

    // Clears the list and shows the search's rows and their totals, the first at once and the
    // rest as they are read. The search is kept so that the list can be shown again after a
    // change.
    void fill(const SalesSelection& selection);
    // The last search again, the same sale selected when it is still there.
    void refresh();
    const SalesSelection& lastSelection() const { return lastSelection_; }
    // Reads the rest of the listing now.
    void readAll();
    const SaleListing& listing() const;
    QTreeView* view() const { return view_; }
    int currentRow() const;
    void setCurrentRow(int row);

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

    // Every row of the listing as the list shows it (read to its end first).
    SpreadsheetTable shownList();

  private:
    ListView* list() const;
    void makeView();
    void readMore();
    void showTotals();
    // Columns wide enough for their texts (never narrower than the template's), except those the
    // user dragged.
    void fitColumns();
    void onWindowClosed(qint32 windowId);

    RecordsModule& module_;
    SalesRecordsHandles ui_;
    QTreeView* view_ = nullptr;
    SalesListModel* model_ = nullptr;
    QList<int> templateWidths_;
    bool fitting_ = false;
    QTimer reader_;
    SalesSelection lastSelection_;
    QMenu* menu_ = nullptr;
};

}  // namespace tillora
