// A till that only records sales, through the program's own recorder: the tests run two of them
// on one file at once, and kill one in the middle of a save.
//   sale_writer <database> <count>     count 0: until killed; database: a file or a server URL
// Prints "ready" once the first sale is stored; exit code 1 on a failure other than a lock.
#include <QCoreApplication>
#include <QDate>

#include <cstdio>
#include <random>

#include <unistd.h>

#include "data/odbcdb.h"
#include "sales/receipt_numbering.h"
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: sale_writer <database> <count>\n");
        return 2;
    }
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
        const RecordOutcome outcome = recorder.record(randomReceipt(rng));
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
    return 0;
}
