// A till that only records sales, through the program's own recorder: the tests run two of them
// on one file at once, and kill one in the middle of a save.
//   sale_writer <database> <count>     count 0: until killed; database: a file or a server URL
//   sale_writer <database> <count> print <folder>
//       prints each sale as the sales window does (stored, then printed), one PDF per sale in
//       <folder>; TILLORA_KILL_AT (before-commit, after-commit, while-drawing, after-handoff)
//       with TILLORA_KILL_SALE (default 2) kills the till at that point of that sale.
// Prints "ready" once the first sale is stored; exit code 1 on a failure other than a lock.
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <memory>
#include <random>

#include <unistd.h>

#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "forms/services/message_service.h"
#include "print/print_support.h"
#include "print/printer.h"
#include "sales/receipt_numbering.h"
#include "sales/receipt_printer.h"
#include "sales/sale_recorder.h"

using namespace tillora;

namespace {

Receipt randomReceipt(std::mt19937& rng) {
    std::uniform_int_distribution<int> lineCount(1, 5);
    std::uniform_int_distribution<int> quantity(-2, 9);
    std::uniform_int_distribution<int> cents(1, 99999);
    Receipt r;
    int total = 0;
    const int lines = lineCount(rng);
    for (int i = 0; i < lines; ++i) {
        const int q = quantity(rng);
        const double price = cents(rng) / 100.0;
        total += q;
        const QString amount = QString::number(price * q, 'f', 2);
        r.lines.append({QString::number(i + 1), QStringLiteral("商品%1").arg(i), QString::number(q),
                        QString::number(price, 'f', 2), amount, amount});
    }
    r.totalQuantity = QString::number(total);
    r.discountedTotal = QStringLiteral("1.00");
    r.cashier = QStringLiteral("admin");
    r.remark = QStringLiteral("测试");
    return r;
}

QByteArray killPoint;
long killSale = 2;
long currentSale = 0;

void killAt(const char* point) {
    if (currentSale == killSale && killPoint == point) {
        ::kill(::getpid(), SIGKILL);
    }
}

// "打印完毕" comes once the job is closed, that is handed to the printer.
class KillingMessages : public MessageService {
  public:
    int show(const QString&, int flags, const QString&, QWidget*) override {
        killAt("after-handoff");
        return firstButtonResult(flags);
    }
};

bool printSale(ODBCDB& db, SaleRecorder& recorder, const Receipt& receipt, const QString& folder,
               RecordOutcome& outcome) {
    SettingsRecord settings;
    readSettingsRecord(db, settings);
    ReceiptPrinter::Options options;
    options.layout = ReceiptPrintSettings::from(settings);
    options.layout.printLogo = true;  // the logo is read while the receipt is drawn
    options.showPrinted = true;
    const ReceiptLogoSource storedLogo = ReceiptPrinter::logoFrom(db);
    const ReceiptLogoSource logo = [&storedLogo] {
        killAt("while-drawing");
        return storedLogo();
    };
    // As the sales window records: written, committed, and only then printed.
    outcome = recorder.insert(receipt);
    if (outcome.fault != DbFault::None) {
        return false;
    }
    killAt("before-commit");
    if (!recorder.commit(outcome)) {
        return false;
    }
    killAt("after-commit");
    Receipt printed = receipt;
    printed.number = outcome.number;
    options.openDrawer = true;
    Printer::setOutputFileOverride(
        QDir(folder).filePath(QStringLiteral("%1-%2.pdf").arg(::getpid()).arg(currentSale)));
    Printer printer;
    printer.setPenType(3);
    return ReceiptPrinter::print(printer, printed, options, logo);
}

}  // namespace

int main(int argc, char** argv) {
    const bool printing = argc == 5 && QByteArray(argv[3]) == "print";
    if (printing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::unique_ptr<QCoreApplication> application =
        printing ? std::make_unique<QApplication>(argc, argv)
                 : std::make_unique<QCoreApplication>(argc, argv);
    if (argc != 3 && !printing) {
        std::fprintf(stderr, "usage: sale_writer <database> <count> [print <folder>]\n");
        return 2;
    }
    // This program sits in a folder of its own, away from the build's print module.
    PrintSupport::setBuildModule(QStringLiteral(TILLORA_PRINT_SUPPORT_MODULE));
    killPoint = qgetenv("TILLORA_KILL_AT");
    if (const long n = qEnvironmentVariableIntValue("TILLORA_KILL_SALE"); n > 0) {
        killSale = n;
    }
    KillingMessages messages;
    setMessageService(&messages);
    ODBCDB db;
    // The other till may hold the file while this one opens it, as at a program's start.
    const QString database = QString::fromLocal8Bit(argv[1]);
    const bool server = database.startsWith(QStringLiteral("postgresql://"));
    for (int tries = 0;
         server ? !db.NewOpenDatabase(database, false, true) : !db.OpenMdbDatabase(database);
         ++tries) {
        if (db.lastFault() != DbFault::Locked || tries == 50) {
            std::fprintf(stderr, "cannot open %s\n", argv[1]);
            return 2;
        }
    }
    const long count = std::atol(argv[2]);
    ReceiptNumbering numbering(db);
    SaleRecorder recorder(db);
    recorder.setNumbering(&numbering);
    std::mt19937 rng(static_cast<unsigned>(::getpid()));
    for (long stored = 0; count == 0 || stored < count;) {
        currentSale = stored + 1;
        RecordOutcome outcome;
        if (printing) {
            printSale(db, recorder, randomReceipt(rng), QString::fromLocal8Bit(argv[4]), outcome);
        } else {
            outcome = recorder.record(randomReceipt(rng));
        }
        if (!outcome.stored) {
            if (outcome.fault == DbFault::Locked) {
                continue;  // the other till held the file for longer than a save waits
            }
            std::fprintf(stderr, "not stored: %s\n", outcome.message.toLocal8Bit().constData());
            return 1;
        }
        if (stored++ == 0) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
    setMessageService(nullptr);
    return 0;
}
