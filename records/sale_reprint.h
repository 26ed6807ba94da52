#pragma once

#include <optional>

#include "sales/receipt.h"

namespace tillora {

class ODBCDB;
class Printer;

// A stored sale printed again from its 销售记录 row and its 销售详情 lines, through the receipt
// layout, marked as a reprint. Nothing is recorded.
class SaleReprint {
  public:
    // The receipt as stored; nothing when the sale cannot be read. Cash received, change and the
    // payment method stay empty for a sale stored before they were kept.
    static std::optional<Receipt> receiptOf(ODBCDB& db, int saleId);

    // Prints with the current print settings and after-print messages; true when printed.
    static bool print(Printer& printer, ODBCDB& db, int saleId);
};

}  // namespace tillora
