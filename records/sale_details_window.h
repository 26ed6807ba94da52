#pragma once

#include <optional>
#include <vector>

#include "forms/window_logic.h"
#include "formset/sale_details_handles.h"
#include "records/sale_listing.h"
#include "spreadsheet/spreadsheet_table.h"

namespace tillora {

class FormWindow;
class ListView;
class RecordsModule;
struct ReceiptLine;

// The details window of one sale: its lines, and adding, changing and deleting them (by an
// administrator). Every change recomputes the sale's own totals with it.
class SaleDetailsWindow : public WindowLogic<SaleDetailsWindow> {
    Q_OBJECT

  public:
    SaleDetailsWindow(RecordsModule& module, FormWindow* window, int saleId);

    int saleId() const { return saleId_; }
    const std::vector<SaleLineRow>& lines() const { return lines_; }

    // The discount list, the sale's remark for new lines, the lines.
    void start();
    void fill();
    // Copies the selected line into the edit row.
    void rowChanged(int row);
    void discountTicked();
    void discountChosen(int index);
    void add();
    void change();
    void remove();
    void exportLines();
    void close();

    SpreadsheetTable shownList() const;

    // The discount a stored line was sold at, in tenths as the list offers it, worked out from
    // its 金额 and 折后; none for a line at full price.
    static std::optional<double> storedDiscount(const SaleLineRow& line);

  private:
    ListView* list() const;
    int selectedLineId() const;
    // The edit row as a line; false (message shown) when it cannot be stored.
    bool lineFromEntry(ReceiptLine& line) const;
    // Stored sales are changed by administrators only; others are shown `refusal`.
    bool mayChange(const QString& refusal) const;
    // The sale's payment as stored now (nothing for a sale stored without it); a shortfall in
    // red.
    void showPayment();
    // The sale's total after a change: the lines shown, without row `without` (-1: none), with
    // `added`. True when the cash taken still pays it, or the administrator keeps the change
    // all the same.
    bool paymentKept(int without, const QString& added) const;

    RecordsModule& module_;
    SaleDetailsHandles ui_;
    int saleId_;
    std::vector<SaleLineRow> lines_;
};

}  // namespace tillora
