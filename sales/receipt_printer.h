#pragma once

#include <QString>

#include <optional>

#include "sales/receipt.h"
#include "sales/receipt_layout.h"

namespace tillora {

class ODBCDB;
class Printer;
class SalesModule;
struct SettingsRecord;

// Prints a receipt on the system's default printer and asks the after-print questions.
class ReceiptPrinter {
  public:
    struct Options {
        ReceiptPrintSettings layout;
        bool showPrinted = false;  // 显示打印完毕
        bool askReprint = false;   // 提示再次打印
        // A sale just stored: the drawer opens with its first receipt when paid in cash, and its
        // number is noted until the printer took the receipt (see takeUnprinted).
        bool openDrawer = false;

        static Options from(const SettingsRecord& settings);
    };

    // One job per print: the default printer without a dialog (the dialog comes only when there
    // is no default printer), the progress window without blocking, the receipt, the job closed;
    // then "打印完毕" and "打印完毕,是否再次打印！" as the options say, a yes printing it again
    // (and asking again). True when the receipt was printed at least once; a job that could
    // not start or was aborted prints nothing and counts as not printed. A job already open
    // (see choosePrinter) is the first one.
    static bool print(Printer& printer, const Receipt& receipt, const Options& options,
                      const ReceiptLogoSource& logo);

    // Before a recorded sale is stored: without a default printer the job is opened now, with
    // the printer dialog, so that a cancelled choice stores nothing. False when none was chosen;
    // a sale that is then not stored ends the open job with Printer::discardJob.
    static bool choosePrinter(Printer& printer);

    // The logo and its offset from the settings row, read when called.
    static ReceiptLogoSource logoFrom(ODBCDB& db);

    // The print job's title unless the printer carries a name of its own: "小票 <number>", "小票
    // <number> 重印" for a stored sale printed again, "小票预览" for a receipt without a number.
    static QString jobTitle(const Receipt& receipt);
    // The number of the stored sale whose receipt was being printed when the program last ended
    // (empty when none); the note of it is gone afterwards.
    static QString takeUnprinted();
    static QString unprintedText(const QString& number);

    // Paid in cash: the sale that opens the cash drawer.
    static bool isCashSale(const Receipt& receipt);

    static QString printedText() { return QStringLiteral("打印完毕"); }
    static QString reprintQuestion() { return QStringLiteral("打印完毕,是否再次打印！"); }
    static QString logoFailedText() { return QStringLiteral("logo数据打开失败！"); }
};

// What one sale prints by, from the settings row read once when the sale is finished: the
// options as the window took them, whether and which logo as stored now (the logo window
// changes them while the sales window is open).
struct SalePrint {
    ReceiptPrinter::Options options;
    std::optional<ReceiptLogo> logo;  // none when the row could not be read

    // shown: the row as the window took it; stored: as read now (none when it can't be read).
    static SalePrint from(const SettingsRecord& shown, const SettingsRecord* stored);
    static SalePrint read(ODBCDB& db, const SettingsRecord& shown);
    ReceiptLogoSource logoSource() const;
};

// Gives the sales windows their printing and preview.
void installReceiptPrinting(SalesModule& module);

}  // namespace tillora
