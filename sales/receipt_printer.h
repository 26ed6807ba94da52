#pragma once

#include <QString>

#include "sales/receipt.h"
#include "sales/receipt_layout.h"
#include "sales/sales_module.h"

namespace tillora {

class ODBCDB;
class Printer;
class SalesEntryWindow;
class SalesModule;
struct SettingsRecord;

// Prints a receipt on the system's default printer and asks the after-print questions.
class ReceiptPrinter {
  public:
    struct Options {
        ReceiptPrintSettings layout;
        bool showPrinted = false;  // 显示打印完毕
        bool askReprint = false;   // 提示再次打印

        static Options from(const SettingsRecord& settings);
    };

    // One job per print: the default printer without a dialog (the dialog comes only when there
    // is no default printer), the progress window without blocking, the receipt, the job closed;
    // then "打印完毕" and "打印完毕,是否再次打印！" as the options say, a yes printing it again
    // (and asking again). True when the receipt was printed at least once; a job that could
    // not start or was aborted prints nothing and counts as not printed. A recorded sale is
    // stored before the first job starts (after the printer dialog, when one is needed); when
    // that fails nothing is printed or shown.
    static bool print(Printer& printer, const Receipt& receipt, const Options& options,
                      const ReceiptLogoSource& logo, const PrintSteps& steps = {});

    // The logo and its offset from the settings row, read when called.
    static ReceiptLogoSource logoFrom(ODBCDB& db);
    // Whether the logo is printed, as stored now: the logo window changes it while the sales
    // window is open. `fallback` when the row can't be read.
    static bool storedPrintLogo(ODBCDB& db, bool fallback);

    // The print handler of the sales entry window: its 打印机1, its settings, its database.
    static bool printFromWindow(SalesEntryWindow& window, const Receipt& receipt, ODBCDB& db,
                                const PrintSteps& steps = {});

    // Paid in cash: the sale that opens the cash drawer.
    static bool isCashSale(const Receipt& receipt);

    static QString printedText() { return QStringLiteral("打印完毕"); }
    static QString reprintQuestion() { return QStringLiteral("打印完毕,是否再次打印！"); }
    static QString logoFailedText() { return QStringLiteral("logo数据打开失败！"); }
};

// Gives the sales windows their printing and preview.
void installReceiptPrinting(SalesModule& module);

}  // namespace tillora
