// The printer choice window against the machine's CUPS scheduler with its two PDF queues
// (scripts/start_cups.sh), an empty private scheduler, and no scheduler at all; and the receipt
// printed on the chosen queue with the logo where the logo window put it.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "data/settings_record.h"
#include "forms/component_factory.h"
#include "forms/services/external_function_table.h"
#include "forms/window_frame_metrics.h"
#include "print/print_components.h"
#include "print/printer.h"
#include "print/printer_component.h"
#include "print/system_printers.h"
#include "print/till_printer.h"
#include "sales/receipt_printer.h"
#include "sales/sales_module.h"
#include "tests/print/cups/cups_client.h"
#include "tests/settings/print_windows_fixture.h"
#include "tests/support/logged_in_user.h"
#include "tests/support/pdf_capture.h"

namespace tillora::test {
namespace {

// Points this thread's CUPS client at another server until destroyed.
class CupsServerOverride {
  public:
    explicit CupsServerOverride(const QString& server) {
        qputenv("CUPS_SERVER", server.toLocal8Bit());
        setServer();
    }
    ~CupsServerOverride() {
        qunsetenv("CUPS_SERVER");
        setServer();
    }

  private:
    // cupsSetServer(nullptr): take the server from the environment again.
    static void setServer() {
        static ExternalFunctionTable table;
        static const int index =
            table.declare(QStringLiteral("libcups.so.2"), QStringLiteral("cupsSetServer"));
        table.call<void(const char*)>(index, nullptr);
    }
};

// A scheduler of our own with no printers, on a socket in the test's folder.
class EmptyScheduler {
  public:
    explicit EmptyScheduler(const QString& folder)
        : socket_(folder + QStringLiteral("/cups.sock")) {
        const QDir dir(folder);
        for (const char* sub : {"root", "state", "cache", "spool", "log"}) {
            dir.mkpath(QString::fromLatin1(sub));
            QFile::setPermissions(dir.filePath(QString::fromLatin1(sub)),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther);
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther);
        write(dir.filePath(QStringLiteral("root/cups-files.conf")),
              QStringLiteral("ServerRoot %1/root\nStateDir %1/state\nCacheDir %1/cache\n"
                             "RequestRoot %1/spool\nTempDir %1/spool\nErrorLog %1/log/error_log\n"
                             "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n")
                  .arg(folder));
        write(dir.filePath(QStringLiteral("root/cupsd.conf")),
              QStringLiteral("Listen %1\nBrowsing Off\nWebInterface No\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n")
                  .arg(socket_));
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("CUPS_SERVER"), socket_);
        // A time limit of its own, so that it never outlives a test that died.
        process_.start(
            QStringLiteral("timeout"),
            {QStringLiteral("300"), QStringLiteral("/usr/sbin/cupsd"), QStringLiteral("-f"),
             QStringLiteral("-c"), dir.filePath(QStringLiteral("root/cupsd.conf")),
             QStringLiteral("-s"), dir.filePath(QStringLiteral("root/cups-files.conf"))});
        QElapsedTimer waited;
        waited.start();
        while (!schedulerRuns(env_) && waited.elapsed() < 15000) {
            QThread::msleep(200);
        }
    }
    ~EmptyScheduler() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    bool runs() const { return schedulerRuns(env_); }
    const QString& socket() const { return socket_; }

  private:
    static void write(const QString& path, const QString& text) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(text.toUtf8());
        }
    }
    QString socket_;
    QProcessEnvironment env_;
    QProcess process_;
};

#define REQUIRE_SCHEDULER()                                                              \
    ASSERT_TRUE(schedulerRuns()) << "no CUPS scheduler answers (scripts/start_cups.sh)"; \
    ASSERT_EQ(lpstatDefault(), kDefaultQueue)

// Both queues listed in the print system's order, the default chosen; the window as its template
// lays it out, the list first in the Tab order.
TEST_F(PrinterChoiceTest, ListsThePrintersWithTheDefaultChosen) {
    REQUIRE_SCHEDULER();
    FormWindow* w = openChoice();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    const QStringList items = list(w)->items();
    EXPECT_TRUE(items.contains(kDefaultQueue));
    EXPECT_TRUE(items.contains(kSecondQueue));
    QStringList known;
    for (const QString& line :
         run(QStringLiteral("lpstat"), {QStringLiteral("-e")}).split(u'\n', Qt::SkipEmptyParts)) {
        known << line.trimmed();
    }
    EXPECT_EQ(items, known);
    ASSERT_GE(list(w)->currentIndex(), 0);
    EXPECT_EQ(items.at(list(w)->currentIndex()), kDefaultQueue);

    EXPECT_EQ(w->size(), WindowFrameMetrics(2, true).clientSize(QSize(530, 210)));
    const QStringList order{QStringLiteral("组合框_打印机名称"), QStringLiteral("组合框_纸宽"),
                            QStringLiteral("选择框_打开钱箱"), QStringLiteral("按钮_保存"),
                            QStringLiteral("按钮1")};
    EXPECT_EQ(tabWalk(w, order), order.mid(1));
    w->show();
    w->activateWindow();
    settle();
    EXPECT_EQ(QApplication::focusWidget(), list(w)->widget());
    const QString shot = QDir::temp().filePath(QStringLiteral("tillora_printer_choice.png"));
    EXPECT_TRUE(w->grab().save(shot));
    std::printf("printer choice window grabbed to %s\n", qPrintable(shot));

    click(w, "按钮1");
    settle();
    EXPECT_FALSE(isOpen(FormId::PrinterChoice));
}

// "保存" makes the chosen queue the user's default, as "lpoptions -d" does: lpstat -d of the same
// user says so, the machine's default stays, and the window opens with it chosen. Keyboard
// first, then the mouse back to the first queue.
TEST_F(PrinterChoiceTest, SavingMakesTheChosenPrinterTheUsersDefault) {
    REQUIRE_SCHEDULER();
    DefaultRestorer restore;
    const bool machineOptions = QFile::exists(QStringLiteral("/etc/cups/lpoptions"));
    const QString machineBefore = machineDefault();
    FormWindow* w = openChoice();
    ASSERT_NE(w, nullptr);
    w->show();
    w->activateWindow();
    settle();
    QWidget* combo = list(w)->widget();
    ASSERT_EQ(QApplication::focusWidget(), combo);
    while (list(w)->items().at(list(w)->currentIndex()) != kSecondQueue) {
        const int before = list(w)->currentIndex();
        key(combo, Qt::Key_Down);
        ASSERT_NE(list(w)->currentIndex(), before) << "TilloraPDF2 not reached";
    }
    // Beside the list, this till's paper and drawer: 80 mm, drawer on.
    key(combo, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->component(QStringLiteral("组合框_纸宽"))->widget());
    key(QApplication::focusWidget(), Qt::Key_Down);
    key(QApplication::focusWidget(), Qt::Key_Tab);
    key(QApplication::focusWidget(), Qt::Key_Space, QStringLiteral(" "));
    key(QApplication::focusWidget(), Qt::Key_Tab);
    key(QApplication::focusWidget(), Qt::Key_Return, QStringLiteral("\r"));
    settle();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_FALSE(isOpen(FormId::PrinterChoice));
    EXPECT_EQ(lpstatDefault(), kSecondQueue);
    const TillPrinter till = TillPrinter::read();
    EXPECT_EQ(till.paperWidthMm, 80);
    EXPECT_TRUE(till.openDrawer);
    EXPECT_TRUE(userOptions().contains(QStringLiteral("Default ") + kSecondQueue))
        << userOptions().toStdString();
    EXPECT_EQ(machineDefault(), machineBefore);
    EXPECT_EQ(QFile::exists(QStringLiteral("/etc/cups/lpoptions")), machineOptions);

    w = openChoice();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(list(w)->items().at(list(w)->currentIndex()), kSecondQueue);
    EXPECT_EQ(w->component(QStringLiteral("组合框_纸宽"))->currentIndex(), 1);
    EXPECT_TRUE(w->component(QStringLiteral("选择框_打开钱箱"))->isChecked());
    list(w)->setCurrentIndex(static_cast<int>(list(w)->items().indexOf(kDefaultQueue)));
    w->show();
    mouseClick(w->component(QStringLiteral("按钮_保存"))->widget());
    settle();
    EXPECT_EQ(lpstatDefault(), kDefaultQueue);
}

// The next receipt goes to the chosen queue, with the logo the logo window switched on and moved
// 10 mm to the right while the sales window was open.
TEST_F(PrinterChoiceTest, NextReceiptLandsOnTheChosenQueueWithTheLogo) {
    REQUIRE_SCHEDULER();
    DefaultRestorer restore;
    FormWindow* sales = manager->open(static_cast<qint32>(FormId::SalesEntry))
                            ? window(FormId::SalesEntry)
                            : nullptr;
    ASSERT_NE(sales, nullptr);

    FormWindow* choice = openChoice();
    ASSERT_NE(choice, nullptr);
    list(choice)->setCurrentIndex(static_cast<int>(list(choice)->items().indexOf(kSecondQueue)));
    click(choice, "按钮_保存");
    settle();
    ASSERT_EQ(lpstatDefault(), kSecondQueue);

    // A framed logo, so that its ink shows exactly where it was drawn.
    QImage picture(200, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter p(&picture);
        p.fillRect(QRect(0, 0, 200, 6), Qt::black);
        p.fillRect(QRect(0, 194, 200, 6), Qt::black);
        p.fillRect(QRect(0, 0, 6, 200), Qt::black);
        p.fillRect(QRect(194, 0, 6, 200), Qt::black);
        p.setBrush(QColor(40, 40, 160));
        p.drawEllipse(QPoint(100, 100), 60, 60);
    }
    const QString logoFile = folder.file(QStringLiteral("logo.png"));
    ASSERT_TRUE(picture.save(logoFile));

    ASSERT_TRUE(openLogoWindow(*manager, sales));
    FormWindow* logo = window(FormId::Logo);
    logo->show();
    files.answer(logoFile);
    click(logo, "按钮_更改logo");
    mouseClick(logo->component(QStringLiteral("选择框1"))->widget());
    logo->setText(QStringLiteral("编辑框1"), QStringLiteral("10"));
    click(logo, "按钮_保存");
    click(logo, "按钮2");
    settle();
    SettingsRecord row;
    ASSERT_TRUE(readSettingsRecord(db, row, settings_sql::selectById()));
    ASSERT_EQ(row.printLogo, QStringLiteral("真"));
    ASSERT_EQ(row.logoOffset, 10);
    messages.clear();

    const auto jobs = [] {
        return run(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("all"),
                                              QStringLiteral("-o"), kSecondQueue})
            .split(u'\n', Qt::SkipEmptyParts)
            .size();
    };
    const qsizetype before = jobs();
    const QString token = QStringLiteral("TilloraChosen%1x%2")
                              .arg(QCoreApplication::applicationPid())
                              .arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    auto* printer = dynamic_cast<PrinterComponent*>(sales->component(QStringLiteral("打印机1")));
    ASSERT_NE(printer, nullptr);
    printer->printer().setDocumentName(token);
    sales->setText(QStringLiteral("编辑框_名称"), QStringLiteral("茶叶"));
    sales->setText(QStringLiteral("编辑框_单价"), QStringLiteral("19.99"));
    sales->setText(QStringLiteral("编辑框_数量"), QStringLiteral("2"));
    click(sales, "按钮_添加商品");
    sales->setText(QStringLiteral("编辑框_实收"), QStringLiteral("50"));
    click(sales, "按钮_打印小票");
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_TRUE(printer->printer().destination().startsWith(kSecondQueue))
        << printer->printer().destination().toStdString();
    EXPECT_EQ(jobs(), before + 1);

    // cups-pdf writes the job into the printing user's own home, named after the job.
    const QDir out(QDir(privateClient().realHome).filePath(QStringLiteral("PDF")));
    const QString found = waitForPdf(out, token);
    ASSERT_FALSE(found.isEmpty()) << "no PDF for " << token.toStdString() << " in "
                                  << out.path().toStdString();
    const QString prefix = QDir::temp().filePath(QStringLiteral("tillora_receipt_logo"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), found, prefix});
    const QImage page(prefix + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    std::printf("receipt with logo rendered to %s.png\n", qPrintable(prefix));
    // The logo's frame is the lowest ink: 34 mm wide, its left edge 15 mm right of the receipt's
    // left edge (centred on the 44 mm receipt, then moved 10 mm).
    const auto dark = [&page](int x, int y) { return qGray(page.pixel(x, y)) < 160; };
    int textLeft = page.width();
    int bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (dark(x, y)) {
                textLeft = std::min(textLeft, x);
                bottom = y;
            }
        }
    }
    ASSERT_GE(bottom, 0);
    int left = page.width();
    int right = -1;
    for (int x = 0; x < page.width(); ++x) {
        if (dark(x, bottom - 1)) {
            left = std::min(left, x);
            right = x;
        }
    }
    const double pixelsPerTenth = 150.0 / 254.0;
    EXPECT_NEAR(left - textLeft, 150 * pixelsPerTenth, 4);
    EXPECT_NEAR(right - left + 1, 340 * pixelsPerTenth, 4);
    QFile::remove(found);
}

// A print system without printers: an empty list, no message, and "保存" changes nothing.
TEST_F(PrinterChoiceTest, EmptyPrintSystemListsNothingAndChangesNothing) {
    EmptyScheduler scheduler(folder.file(QStringLiteral("empty-cups")));
    if (!scheduler.runs() && geteuid() != 0) {
        GTEST_SKIP() << "a private scheduler needs root";
    }
    ASSERT_TRUE(scheduler.runs()) << "the private scheduler did not start";
    const QString optionsBefore = userOptions();
    CupsServerOverride server(scheduler.socket());
    FormWindow* w = openChoice();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(list(w)->items().isEmpty());
    EXPECT_EQ(list(w)->currentIndex(), -1);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    click(w, "按钮_保存");
    settle();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(isOpen(FormId::PrinterChoice));
    EXPECT_EQ(userOptions(), optionsBefore);
}

// No scheduler answers: "枚举打印机失败", an empty list, nothing to save.
TEST_F(PrinterChoiceTest, NoSchedulerShowsTheFailure) {
    const QString optionsBefore = userOptions();
    {
        CupsServerOverride server(folder.file(QStringLiteral("no-such-cups.sock")));
        FormWindow* w = openChoice();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(messages.texts(), QStringList{PrinterChoiceWindow::enumerationFailedText()});
        EXPECT_TRUE(list(w)->items().isEmpty());
        messages.clear();
        click(w, "按钮_保存");
        EXPECT_TRUE(messages.shown().empty());
        EXPECT_EQ(userOptions(), optionsBefore);
        manager->close(static_cast<qint32>(FormId::PrinterChoice));
    }
    // The scheduler is found again afterwards.
    if (schedulerRuns()) {
        EXPECT_TRUE(SystemPrinters::list().ok);
        EXPECT_FALSE(SystemPrinters::list().names.isEmpty());
    }
}

}  // namespace
}  // namespace tillora::test
