// Receipt printers as shops have them, each behind a private CUPS queue of this test: a thermal
// printer on the network (a listener on 127.0.0.1 behind a queue without a driver), one that does
// not answer, and a page printer whose own paper is a 58 mm roll.
#include <QAction>
#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include "forms/services/external_function_table.h"
#include "print/escpos_raster.h"
#include "print/printer.h"
#include "print/raw_print_job.h"
#include "print/till_printer.h"
#include "sales/receipt_layout.h"
#include "sales/sales_texts.h"
#include "tests/print/cups/cups_client.h"
#include "tests/print/cups/job_listener.h"
#include "tests/print/escpos_decoder.h"
#include "tests/support/first_cell.h"

namespace tillora::test {
namespace {

QString queueName(const char* kind) {
    return QStringLiteral("Tillora%1%2")
        .arg(QLatin1String(kind))
        .arg(QCoreApplication::applicationPid());
}

Receipt sampleReceipt(int lines) {
    Receipt r;
    r.number = QStringLiteral("2026120800017");
    r.timeText = QStringLiteral("2026-12-08  09:30:00");
    for (int i = 1; i <= lines; ++i) {
        r.lines.append({QString::number(i), QStringLiteral("龙井茶叶%1").arg(i),
                        QStringLiteral("2"), QStringLiteral("19.90"), QStringLiteral("39.80"),
                        QStringLiteral("39.80")});
    }
    r.totalQuantity = QString::number(2 * lines);
    r.totalAmount = r.discountedTotal = QStringLiteral("%1.80").arg(39 * lines);
    r.cashReceived = QStringLiteral("2000.00");
    r.cashier = QStringLiteral("张三");
    r.paymentMethod = QStringLiteral("现金");
    r.remark = QStringLiteral("谢谢惠顾\r\n欢迎再来");
    return r;
}

class ReceiptPrinterTest : public PrinterChoiceTest {
  protected:
    void SetUp() override {
        PrinterChoiceTest::SetUp();
        if (!schedulerRuns()) {
            GTEST_SKIP() << "no CUPS scheduler answers (scripts/start_cups.sh)";
        }
        Printer::setOutputFileOverride({});
    }
    void TearDown() override {
        RawPrintJob::setAnswerTime(5000);
        RawPrintJob::setStallTime(30000);
        PrinterChoiceTest::TearDown();
    }

    // A thermal printer behind a queue without a driver, made the default destination.
    std::unique_ptr<PrivateQueue> rawQueue(const QString& uri) {
        auto queue = std::make_unique<PrivateQueue>(queueName("Raw"),
                                                    QStringList{QStringLiteral("-v"), uri});
        if (!queue->added()) {
            ADD_FAILURE() << "lpadmin could not add a queue (needs root or the lpadmin group)";
            return nullptr;
        }
        EXPECT_TRUE(SystemPrinters::setDefault(queue->name()));
        return queue;
    }
    static void keepTill(int paperWidthMm, bool openDrawer) {
        TillPrinter till;
        till.paperWidthMm = paperWidthMm;
        till.openDrawer = openDrawer;
        ASSERT_TRUE(till.write());
    }
    FormWindow* openSales() {
        return manager->open(static_cast<qint32>(FormId::SalesEntry)) ? window(FormId::SalesEntry)
                                                                      : nullptr;
    }
    void sell(FormWindow* sales) {
        sales->setText(QStringLiteral("编辑框_名称"), QStringLiteral("茶叶"));
        sales->setText(QStringLiteral("编辑框_单价"), QStringLiteral("19.99"));
        sales->setText(QStringLiteral("编辑框_数量"), QStringLiteral("2"));
        click(sales, "按钮_添加商品");
        sales->setText(QStringLiteral("编辑框_实收"), QStringLiteral("50"));
        click(sales, "按钮_打印小票");
    }
    int storedSales() { return firstNumber(db, QStringLiteral("select count(*) from 销售记录")); }
    static void triggerMenu(FormWindow* w, const QString& caption) {
        for (QAction* menu : w->formMenuBar()->actions()) {
            for (QAction* item : menu->menu()->actions()) {
                if (item->text() == caption) {
                    item->trigger();
                    return;
                }
            }
        }
        ADD_FAILURE() << caption.toStdString();
    }

    DefaultRestorer restore;
};

// The receipt reaches the printer as the dots the layout draws at 203 dpi, on 58 and on 80 mm
// paper, then one cut; no drawer pulse for a receipt that is not a stored cash sale.
TEST_F(ReceiptPrinterTest, ReceiptArrivesAsItsDrawnDotsThenOneCut) {
    JobListener printerOnTheNetwork;
    ASSERT_NE(printerOnTheNetwork.port(), 0);
    const auto queue = rawQueue(printerOnTheNetwork.uri());
    ASSERT_TRUE(queue);
    ReceiptPrinter::Options options;
    options.layout.shopName = QStringLiteral("好再来便利店");
    const Receipt receipt = sampleReceipt(5);
    int job = 0;
    for (const int paper : {58, 80}) {
        SCOPED_TRACE(paper);
        keepTill(paper, true);
        Printer printer;
        printer.setPenType(3);
        ASSERT_TRUE(ReceiptPrinter::print(printer, receipt, options, {}));
        EXPECT_TRUE(printer.receiptPrinter());
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
        const int dots = EscPosRaster::paperDots(paper);
        const QByteArray bytes = printerOnTheNetwork.waitForJob(job++);
        if (paper == 58) {
            // What 58 mm printers got before 80 mm paper was used whole: byte for byte the same.
            EXPECT_EQ(
                QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString(),
                "cc1f62f89feadeb1ba3e6b4e895d150c83a25b73227b95289295782f7723bfe0");
        }
        const DecodedJob printed = decodeEscPos(bytes, dots);
        ASSERT_TRUE(printed.error.isEmpty()) << printed.error.toStdString();
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^IF?R[RF]*C$")).match(printed.actions).hasMatch())
            << printed.actions.toStdString();

        DotSheetSurface drawn(dots);
        drawn.setPenType(3);
        ReceiptPrintSettings layout = options.layout;
        layout.paperWidth = paper == 80 ? 720 : 480;
        ReceiptLayout::draw(drawn, receipt, layout, ReceiptLayout::Labels::Paper);
        const QImage expected = drawn.finish();
        EXPECT_GT(inkDots(expected), 2000);
        EXPECT_LE(differingDots(printed.dots, expected), inkDots(expected) / 200);
        EXPECT_EQ(printed.dots.width(), dots);
        // On 80 mm the amounts reach the printable edge (2 mm = 16 dots).
        int rightmost = 0;
        for (int y = 0; y < printed.dots.height(); ++y) {
            for (int x = printed.dots.width() - 1; x > rightmost; --x) {
                rightmost = qGray(printed.dots.pixel(x, y)) < 128 ? x : rightmost;
            }
        }
        EXPECT_GE(rightmost, paper == 80 ? dots - 16 : 0);
    }
    EXPECT_EQ(printerOnTheNetwork.jobCount(), 2);
}

// The job titles as the print system lists them (a stored sale's receipt, its reprint), and a PDF
// printer keeps them as two files.
TEST_F(ReceiptPrinterTest, JobsAreTitledByTheirReceipts) {
    Receipt receipt = sampleReceipt(1);
    receipt.number = QStringLiteral("20261208%1")
                         .arg(QCoreApplication::applicationPid() % 100000, 5, 10, QLatin1Char('0'));
    Printer printer;
    ASSERT_TRUE(ReceiptPrinter::print(printer, receipt, {}, {}));
    receipt.reprint = true;
    ASSERT_TRUE(ReceiptPrinter::print(printer, receipt, {}, {}));
    const QStringList wanted{QStringLiteral("小票 ") + receipt.number,
                             QStringLiteral("小票 %1 重印").arg(receipt.number)};
    const QDir out(QDir(privateClient().realHome).filePath(QStringLiteral("PDF")));
    QStringList files;
    QElapsedTimer waited;
    waited.start();
    while (files.size() < 2 && waited.elapsed() < 30000) {
        QThread::msleep(100);
        files = out.entryList({QStringLiteral("*") + receipt.number + QStringLiteral("*.pdf")});
    }
    EXPECT_EQ(files.size(), 2) << files.join(u' ').toStdString();
    for (const QString& f : files) {
        QFile::remove(out.filePath(f));
    }
    struct CupsJob {  // the client library's job record
        int id;
        char *dest, *title, *user, *format;
        int state, size, priority;
        time_t completed, created, processing;
    };
    CupsJob* jobs = nullptr;
    const int count = programFunctions().call<int(CupsJob**, const char*, int, int)>(
        ProgramFunction::CupsGetJobs, &jobs, kDefaultQueue.toUtf8().constData(), 1, -1);
    QStringList titles;
    for (int i = 0; i < count; ++i) {
        titles << QString::fromUtf8(jobs[i].title);
    }
    programFunctions().call<void(int, CupsJob*)>(ProgramFunction::CupsFreeJobs, count, jobs);
    for (const QString& title : wanted) {
        EXPECT_TRUE(titles.contains(title)) << title.toStdString();
    }
}

// A printer that takes its job slowly is waited for with the event loop running, however long the
// job takes; one that stops reading is told once it made no progress for the stall time, and the
// job is withdrawn. An end of the program asked for meanwhile waits for the job or its withdrawal;
// a withdrawn receipt of a stored sale is told at the next start.
TEST_F(ReceiptPrinterTest, SlowPrinterIsWaitedForAndAStalledOneWithdrawn) {
    RawPrintJob::setStallTime(1000);
    keepTill(58, false);
    const Receipt receipt = sampleReceipt(30);  // some 40 KB of dots
    ReceiptPrinter::Options stored;
    stored.openDrawer = true;  // a sale just stored
    struct Case {
        JobListener::Pace pace;
        bool endAsked;
        bool printed;
    } cases[] = {{{4096, 100, -1}, false, true},
                 {{4096, 100, -1}, true, true},
                 {{2048, 0, 4096}, false, false},
                 {{2048, 0, 4096}, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pace.stopAfter << (c.endAsked ? " ending" : ""));
        messages.clear();
        JobListener printerOnTheNetwork(c.pace);
        const auto queue = rawQueue(printerOnTheNetwork.uri());
        ASSERT_TRUE(queue);
        int ticks = 0;
        bool ended = false;
        QTimer clock;
        QObject::connect(&clock, &QTimer::timeout, [&] {
            ++ticks;
            if (c.endAsked && ticks == 3) {  // as a SIGTERM does; a stalled job outlasts the wait
                Printer::afterOpenJobs([&ended] { ended = true; });
                if (!c.printed) {
                    RawPrintJob::withdraw();
                }
            }
        });
        clock.start(50);
        Printer printer;
        EXPECT_EQ(ReceiptPrinter::print(printer, receipt, stored, {}), c.printed);
        EXPECT_GE(ticks, 3);  // the clock ran while the printer took the job
        EXPECT_EQ(printerOnTheNetwork.waitForJob(0, c.printed ? 20000 : 0).size() > 30000,
                  c.printed);
        EXPECT_TRUE(run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue->name()}).isEmpty());
        QCoreApplication::processEvents();
        EXPECT_EQ(ended, c.endAsked);
        // Told now, or (the program ending) at the next start.
        EXPECT_EQ(messages.texts(), c.printed || c.endAsked
                                        ? QStringList()
                                        : QStringList{RawPrintJob::notConnectedText()});
        EXPECT_EQ(ReceiptPrinter::takeUnprinted(),
                  !c.printed && c.endAsked ? receipt.number : QString());
    }
}

// A cash sale from the sales window: stored, printed, cut, and the drawer opens after the cut
// when this till says so, and not otherwise.
TEST_F(ReceiptPrinterTest, CashSaleOpensTheDrawerWhenTheTillSaysSo) {
    JobListener printerOnTheNetwork;
    const auto queue = rawQueue(printerOnTheNetwork.uri());
    ASSERT_TRUE(queue);
    FormWindow* sales = openSales();
    ASSERT_NE(sales, nullptr);
    const int before = storedSales();

    keepTill(58, true);
    sell(sales);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    DecodedJob printed = decodeEscPos(printerOnTheNetwork.waitForJob(0), 384);
    EXPECT_TRUE(printed.error.isEmpty()) << printed.error.toStdString();
    EXPECT_TRUE(printed.actions.startsWith(u'I'));
    EXPECT_TRUE(printed.actions.endsWith(QStringLiteral("RCD"))) << printed.actions.toStdString();
    EXPECT_EQ(printed.actions.count(u'D'), 1);

    keepTill(58, false);
    sell(sales);
    printed = decodeEscPos(printerOnTheNetwork.waitForJob(1), 384);
    EXPECT_TRUE(printed.actions.endsWith(QStringLiteral("RC"))) << printed.actions.toStdString();
    EXPECT_FALSE(printed.actions.contains(u'D'));
    EXPECT_EQ(storedSales(), before + 2);
}

// A printer that is off: the cashier is told in Chinese, the sale stays stored with 重印 offered,
// and the job does not wait in the queue to print later beside the reprint.
TEST_F(ReceiptPrinterTest, PrinterThatDoesNotAnswerIsToldAndTheSaleKept) {
    int port = 0;
    {
        JobListener gone;  // a port nothing listens on once it is gone
        port = gone.port();
    }
    const auto queue = rawQueue(QStringLiteral("socket://127.0.0.1:%1").arg(port));
    ASSERT_TRUE(queue);
    RawPrintJob::setAnswerTime(1500);
    keepTill(58, true);
    FormWindow* sales = openSales();
    ASSERT_NE(sales, nullptr);
    const int before = storedSales();
    sell(sales);
    EXPECT_EQ(messages.texts(),
              (QStringList{RawPrintJob::notConnectedText(), sales_text::savedNotPrinted()}));
    EXPECT_EQ(storedSales(), before + 1);
    EXPECT_TRUE(run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue->name()}).isEmpty());
}

// 打开钱箱 in the menu: refused to an ordinary user, a drawer pulse alone for an administrator,
// and a plain word when the default printer is a page printer.
TEST_F(ReceiptPrinterTest, AdministratorOpensTheDrawerFromTheMenu) {
    JobListener printerOnTheNetwork;
    const auto queue = rawQueue(printerOnTheNetwork.uri());
    ASSERT_TRUE(queue);
    FormWindow* sales = openSales();
    ASSERT_NE(sales, nullptr);
    const QString openDrawer = QStringLiteral("打开钱箱");

    logIn(QStringLiteral("cashier"), QStringLiteral("普通用户"));
    triggerMenu(sales, openDrawer);
    EXPECT_EQ(messages.texts(), QStringList{sales_text::drawerAdminOnly()});
    messages.clear();

    logIn(QStringLiteral("admin"), QStringLiteral("管理员"));
    triggerMenu(sales, openDrawer);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(decodeEscPos(printerOnTheNetwork.waitForJob(0), 384).actions, QStringLiteral("ID"));
    EXPECT_EQ(printerOnTheNetwork.jobCount(), 1);  // the refusal sent nothing

    ASSERT_TRUE(SystemPrinters::setDefault(kDefaultQueue));
    triggerMenu(sales, openDrawer);
    EXPECT_EQ(messages.texts(), QStringList{Printer::noDrawerPrinterText()});
}

// A page printer whose default paper is a 58 or 80 x 210 mm roll (and which lists A4 as well):
// the receipt's page is the roll, not the locale's A4.
TEST_F(ReceiptPrinterTest, PagePrinterPrintsOnItsOwnRoll) {
    QFile pdfDriver(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"));
    if (!pdfDriver.open(QIODevice::ReadOnly)) {
        GTEST_SKIP() << "cups-pdf is not installed";
    }
    const QString a4Driver = QString::fromLatin1(pdfDriver.readAll());
    for (const auto& [mm, points] : {std::pair{58, 164}, std::pair{80, 227}}) {
        SCOPED_TRACE(mm);
        QString ppd = a4Driver;
        const QString roll = QStringLiteral("X%1MMY210MM").arg(mm);
        const QString name = QStringLiteral("%1 x 210 mm").arg(mm);
        const QString box = QStringLiteral("%1 595").arg(points);
        for (const char* keyword : {"PageSize", "PageRegion", "ImageableArea", "PaperDimension"}) {
            const QString k = QLatin1String(keyword);
            ppd.replace(QStringLiteral("*Default%1: A4").arg(k),
                        QStringLiteral("*Default%1: %2").arg(k, roll));
        }
        ppd.replace(QStringLiteral("*PageSize A4/A4:"),
                    QStringLiteral("*PageSize %1/%2: \"<</PageSize[%3]/ImagingBBox null>>"
                                   "setpagedevice\"\n*PageSize A4/A4:")
                        .arg(roll, name, box));
        ppd.replace(QStringLiteral("*PageRegion A4/A4:"),
                    QStringLiteral("*PageRegion %1/%2: \"<</PageSize[%3]/ImagingBBox "
                                   "null>>setpagedevice\"\n*PageRegion A4/A4:")
                        .arg(roll, name, box));
        ppd.replace(QStringLiteral("*ImageableArea A4/A4:"),
                    QStringLiteral("*ImageableArea %1/%2: \"0 0 %3\"\n*ImageableArea A4/A4:")
                        .arg(roll, name, box));
        ppd.replace(QStringLiteral("*PaperDimension A4/A4:"),
                    QStringLiteral("*PaperDimension %1/%2: \"%3\"\n*PaperDimension A4/A4:")
                        .arg(roll, name, box));
        QFile rollDriver(folder.file(QStringLiteral("roll%1.ppd").arg(mm)));
        ASSERT_TRUE(rollDriver.open(QIODevice::WriteOnly));
        rollDriver.write(ppd.toLatin1());
        rollDriver.close();
        PrivateQueue queue(queueName("Roll"), {QStringLiteral("-v"), QStringLiteral("cups-pdf:/"),
                                               QStringLiteral("-P"), rollDriver.fileName()});
        ASSERT_TRUE(queue.added());
        ASSERT_TRUE(SystemPrinters::setDefault(queue.name()));

        const QString token = QStringLiteral("TilloraRoll%1x%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
        Printer printer;
        printer.setDocumentName(token);
        ASSERT_TRUE(printer.StartPrint(false, false));
        EXPECT_FALSE(printer.receiptPrinter());
        // The roll less the driver's margins: nowhere near A4's 2100.
        EXPECT_GT(printer.printableWidth(), mm * 10 - 100);
        EXPECT_LE(printer.printableWidth(), mm * 10);
        // An 80 mm roll takes the receipt across its 72 mm, as a receipt printer's does.
        EXPECT_EQ(printer.receiptWidth(), mm == 80 ? 720 : 480);
        printer.WriteAt(0, 0, QStringList{QStringLiteral("单号：2026120800017")});
        printer.EndPrint();
        EXPECT_TRUE(printer.failure().isEmpty());

        const QDir out(QDir(privateClient().realHome).filePath(QStringLiteral("PDF")));
        QString found;
        QElapsedTimer waited;
        waited.start();
        while (found.isEmpty() && waited.elapsed() < 60000) {
            for (const QFileInfo& f : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
                if (f.fileName().contains(token) && f.size() > 0) {
                    found = f.absoluteFilePath();
                }
            }
            QThread::msleep(200);
        }
        ASSERT_FALSE(found.isEmpty()) << "no PDF for " << token.toStdString();
        QThread::msleep(300);
        const QString info = run(QStringLiteral("pdfinfo"), {found});
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
                .match(info);
        ASSERT_TRUE(size.hasMatch()) << info.toStdString();
        EXPECT_NEAR(size.captured(1).toDouble(), points, 2);
        EXPECT_NEAR(size.captured(2).toDouble(), 595.3, 2);
        QFile::remove(found);
    }
}

}  // namespace
}  // namespace tillora::test
