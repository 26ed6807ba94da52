// Printing a receipt from the sales entry window: the job, the after-print questions, recording,
// the PDF read back with poppler, and a real CUPS queue.
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "data/settings_record.h"
#include "forms/component.h"
#include "forms/component_factory.h"
#include "forms/components/list_view.h"
#include "forms/components/timer.h"
#include "print/print_components.h"
#include "print/printer.h"
#include "print/printer_component.h"
#include "sales/receipt_layout.h"
#include "sales/receipt_printer.h"
#include "sales/sale_recorder.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_module.h"
#include "sales/sales_texts.h"
#include "tests/print/scripted_print_dialog.h"
#include "tests/sales/sales_fixture.h"
#include "tests/support/keyboard.h"
#include "tests/support/other_program.h"
#include "tests/support/pdf_capture.h"

namespace tillora::test {
namespace {

QString run(const QString& tool, const QStringList& args) {
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " not found";
        return {};
    }
    QProcess p;
    p.start(path, args);
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 0) << tool.toStdString() << " " << args.join(u' ').toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& pdf) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// The first page at 72 dpi (one pixel a point).
QImage render(const QString& pdf, const QString& prefix) {
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 160) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// Texts must appear in this order in the extracted text.
void expectInOrder(const QString& text, const QStringList& parts) {
    qsizetype from = 0;
    for (const QString& part : parts) {
        const qsizetype at = text.indexOf(part, from);
        EXPECT_GE(at, 0) << "missing or out of order: " << part.toStdString() << "\n"
                         << text.toStdString();
        if (at >= 0) {
            from = at + part.size();
        }
    }
}

// Jobs go to a PDF file in the test's folder.
class PdfTarget {
  public:
    explicit PdfTarget(const QString& file) : file_(file) { Printer::setOutputFileOverride(file); }
    ~PdfTarget() { Printer::setOutputFileOverride({}); }
    const QString& file() const { return file_; }

  private:
    QString file_;
};

// Counts the jobs that reached the PDF file by the time each message box is shown.
class JobCountingMessages : public ScriptedMessageService {
  public:
    explicit JobCountingMessages(QString pdf) : pdf_(std::move(pdf)) {}
    int show(const QString& text, int flags, const QString& caption, QWidget* owner) override {
        if (QFile::exists(pdf_)) {
            ++jobs;
            QFile::remove(pdf_);
        }
        return ScriptedMessageService::show(text, flags, caption, owner);
    }
    int jobs = 0;

  private:
    QString pdf_;
};

class PrintReceiptTest : public ReceiptPrintingFixture {
  protected:
    // Opens the window with the settings changed as given, and enters two lines.
    void openWithTwoLines(const QStringList& settingUpdates = {}) {
        for (const QString& sql : settingUpdates) {
            ASSERT_TRUE(db.ExecuteSql(sql)) << sql.toStdString();
        }
        w = open(FormId::SalesEntry);
        ASSERT_NE(w, nullptr);
        logic = SalesEntryWindow::of(w);
        add(QStringLiteral("mkf-麦克风"), QStringLiteral("10.00"), QStringLiteral("2"));
        add(QStringLiteral("茶叶"), QStringLiteral("19.99"), QStringLiteral("1"));
        w->setText(QStringLiteral("编辑框_实收"), QStringLiteral("50"));
        messages.clear();
    }
    void add(const QString& name, const QString& price, const QString& quantity) {
        w->setText(QStringLiteral("编辑框_名称"), name);
        w->setText(QStringLiteral("编辑框_单价"), price);
        w->setText(QStringLiteral("编辑框_数量"), quantity);
        click("按钮_添加商品");
    }
    void click(const char* name) { w->component(QString::fromUtf8(name))->raise(event::kClicked); }
    int rows() const {
        return dynamic_cast<ListView*>(w->component(QStringLiteral("超级列表框1")))->rowCount();
    }
    int sales() { return number(QStringLiteral("select count(*) from 销售记录")); }

    FormWindow* w = nullptr;
    SalesEntryWindow* logic = nullptr;
};

TEST_F(PrintReceiptTest, PrintedReceiptIsRecordedAndReadsBackInOrder) {
    PdfTarget pdf(folder.file(QStringLiteral("receipt.pdf")));
    ScriptedPrintDialog dialogs;
    openWithTwoLines();
    const int before = sales();
    click("按钮_打印小票");
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(dialogs.dialogs, 0);
    EXPECT_EQ(sales(), before + 1);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(w->text(QStringLiteral("编辑框_单号")), QStringLiteral("1608180000003"));

    expectInOrder(
        pdfText(pdf.file()),
        QStringLiteral("Korvane|单号：|1608180000002|时间：|2016-08-18|名称|数量|单价|金额|"
                       "mkf-麦克风|20.00|茶叶|19.99|合计数量:3|总额:39.99|折后总额:39.99|"
                       "实收现金:50.00|找零:10.01|收银员:admin|付款方式:现金|提示:|"
                       "1.所购商品7日内凭购物小票|3.联系电话：020-80001234")
            .split(u'|'));
}

TEST_F(PrintReceiptTest, AfterPrintMessagesAndReprints) {
    struct Case {
        const char* name;
        bool showPrinted;
        bool askReprint;
        QList<int> answers;  // to the reprint question
        QStringList expected;
        int jobs;  // counted when a message is shown
    };
    const QString done = QStringLiteral("打印完毕");
    const QString again = QStringLiteral("打印完毕,是否再次打印！");
    using R = MessageResult;
    // clang-format off
    const Case cases[] = {
        {"silent",            false, false, {},           {},                        0},
        {"done only",         true,  false, {},           {done},                    1},
        {"ask, no",           false, true,  {R::No},      {again},                   1},
        {"ask, yes then no",  false, true,  {R::Yes, R::No}, {again, again},         2},
        {"both, yes then no", true,  true,  {R::Yes, R::No}, {done, again, done, again}, 2},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = folder.file(QStringLiteral("job.pdf"));
        QFile::remove(file);
        PdfTarget pdf(file);
        openWithTwoLines({settings_sql::updateShowPrinted(c.showPrinted),
                          settings_sql::updateAskReprint(c.askReprint)});
        const int before = sales();
        {
            JobCountingMessages counting(file);
            for (const int a : c.answers) {
                if (c.showPrinted) {
                    counting.answer(MessageResult::Ok);
                }
                counting.answer(a);
            }
            click("按钮_打印小票");
            EXPECT_EQ(counting.texts(), c.expected);
            for (const auto& shown : counting.shown()) {
                if (shown.text == again) {
                    EXPECT_EQ(shown.flags & MessageFlags::ButtonMask, MessageFlags::YesNo);
                }
            }
            EXPECT_EQ(counting.jobs, c.jobs);
        }
        if (c.jobs == 0) {
            EXPECT_TRUE(QFile::exists(file));
        }
        // Recorded once, however often it was printed.
        EXPECT_EQ(sales(), before + 1);
        manager->close(static_cast<qint32>(FormId::SalesEntry));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(PrintReceiptTest, SavingOffStoresNothingAndAJobThatCannotStartIsSaid) {
    // Saving off: printed, not stored, a fresh receipt follows.
    {
        PdfTarget pdf(folder.file(QStringLiteral("a.pdf")));
        openWithTwoLines({QStringLiteral("update 配置文件  set  保存销售记录='假'")});
        const int before = sales();
        const QString number = w->text(QStringLiteral("编辑框_单号"));
        click("按钮_打印小票");
        EXPECT_TRUE(QFile::exists(pdf.file()));
        EXPECT_EQ(sales(), before);
        EXPECT_EQ(rows(), 0);
        EXPECT_EQ(w->text(QStringLiteral("编辑框_单号")), number);  // nothing used up
        manager->close(static_cast<qint32>(FormId::SalesEntry));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A job that can't start once the sale is stored: the sale stays, the cashier is told (and
    // not "打印完毕"), a new receipt begins.
    {
        ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 配置文件  set  保存销售记录='真'")));
        PdfTarget pdf(folder.file(QStringLiteral("no/such/folder/b.pdf")));
        openWithTwoLines({settings_sql::updateShowPrinted(true)});
        const int before = sales();
        click("按钮_打印小票");
        EXPECT_EQ(messages.texts(), QStringList{sales_text::savedNotPrinted()});
        EXPECT_EQ(sales(), before + 1);
        EXPECT_EQ(rows(), 0);
    }
}

TEST_F(PrintReceiptTest, UnreadableLogoIsReportedAndTheRestPrinted) {
    PdfTarget pdf(folder.file(QStringLiteral("logo.pdf")));
    ASSERT_TRUE(writeSettingsLogo(db, QByteArray("this is no picture")));
    openWithTwoLines({settings_sql::updatePrintLogo(true)});
    click("按钮_打印小票");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("logo数据打开失败！")});
    expectInOrder(pdfText(pdf.file()), {QStringLiteral("单号："), QStringLiteral("提示:")});
    EXPECT_EQ(rows(), 0);  // printed and recorded all the same
}

// The layout drawn on the printer onto 58 mm paper: the texts in order, the ink on the paper.
TEST_F(PrintReceiptTest, ReceiptOnFiftyEightMillimetrePaperKeepsItsInkInsideThePaper) {
    PdfTarget pdf(folder.file(QStringLiteral("paper.pdf")));
    openWithTwoLines({settings_sql::updatePrintLogo(true)});
    Receipt receipt = logic->currentReceipt();
    // Long texts everywhere: the name wraps in its column, cashier and payment method are cut.
    receipt.lines[1].name = QStringLiteral("特级东北五常稻花香大米十公斤装");
    receipt.cashier = QStringLiteral("一位名字非常非常长的收银员");
    receipt.paymentMethod = QStringLiteral("银行卡支付（储蓄卡）");
    Printer printer;
    printer.setPenType(3);
    ASSERT_TRUE(printer.StartPrint(false, false, Printer::Paper(-1), std::nullopt, 580, 1500));
    ASSERT_GE(printer.printableWidth(), 480);
    const ReceiptLayoutResult result =
        ReceiptLayout::draw(printer, receipt, ReceiptPrintSettings::from(logic->settings()),
                            ReceiptLayout::Labels::Paper, ReceiptPrinter::logoFrom(db));
    printer.EndPrint();
    EXPECT_FALSE(result.logoFailed);  // the shipped JPEG logo

    expectInOrder(
        pdfText(pdf.file()),
        {QStringLiteral("单号："), QStringLiteral("名称"), QStringLiteral("mkf-麦克风"),
         QStringLiteral("特级东北五"), QStringLiteral("常稻花香大"), QStringLiteral("米十公斤装"),
         QStringLiteral("收银员:一位名字"), QStringLiteral("付款方式:银行")});
    const QImage page = render(pdf.file(), pdf.file() + QStringLiteral("-page"));
    if (qEnvironmentVariableIsSet("TILLORA_KEEP_RECEIPT")) {
        QFile::copy(pdf.file(), qEnvironmentVariable("TILLORA_KEEP_RECEIPT"));
    }
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 164, 1);  // 58 mm at 72 dpi
    const QRect ink = inkBox(page);
    ASSERT_FALSE(ink.isEmpty());
    // No wider than 48 mm (136 points), and down to the logo's bottom (the page's own top margin
    // comes on top of the layout's y).
    EXPECT_LE(ink.width(), 137);
    EXPECT_GE(ink.bottom(), result.bottom * 72 / 254 - 10);
    EXPECT_LT(ink.bottom(), page.height());
}

// Long values on paper at three paper margins: every text is there whole (the extracted text in
// drawing order, blanks and line ends taken out), and the ink stays on the paper.
TEST_F(PrintReceiptTest, LongValuesArePrintedWholeAtEveryPaperMargin) {
    openWithTwoLines();
    Receipt receipt = logic->currentReceipt();
    receipt.lines[0].name = QStringLiteral("特级东北五常稻花香大米十公斤装");
    receipt.lines[0].unitPrice = QStringLiteral("12345.67");
    receipt.lines[0].lineTotal = QStringLiteral("24691.34");
    receipt.lines[1].unitPrice = QStringLiteral("10000.00");
    receipt.lines[1].lineTotal = QStringLiteral("10000.00");
    receipt.totalAmount = QStringLiteral("34691.34");
    receipt.discountedTotal = QStringLiteral("34691.34");
    receipt.cashReceived = QStringLiteral("35000.00");
    receipt.change = QStringLiteral("308.66");
    receipt.cashier = QStringLiteral("一位名字非常非常长的收银员");
    receipt.paymentMethod = QStringLiteral("银行卡支付（储蓄卡）");
    const QStringList whole{
        QStringLiteral("单号：1608180000002"),
        QStringLiteral("特级东北五常稻花香大米十公斤装"),
        QStringLiteral("12345.67"),
        QStringLiteral("24691.34"),
        QStringLiteral("10000.00"),
        QStringLiteral("总额:34691.34"),
        QStringLiteral("折后总额:34691.34"),
        QStringLiteral("实收现金:35000.00"),
        QStringLiteral("找零:308.66"),
        QStringLiteral("收银员:一位名字非常非常长的收银员"),
        QStringLiteral("付款方式:银行卡支付（储蓄卡）"),
    };
    for (const char* margin : {"0", "5", "10"}) {
        SCOPED_TRACE(margin);
        PdfTarget pdf(folder.file(QStringLiteral("margin%1.pdf").arg(QString::fromLatin1(margin))));
        ReceiptPrintSettings settings = ReceiptPrintSettings::from(logic->settings());
        settings.paperMargin =
            ReceiptPrintSettings::tenthsOfMillimetre(QString::fromLatin1(margin));
        Printer printer;
        printer.setPenType(3);
        ASSERT_TRUE(printer.StartPrint(false, false, Printer::Paper(-1), std::nullopt, 580, 1500));
        ReceiptLayout::draw(printer, receipt, settings, ReceiptLayout::Labels::Paper);
        printer.EndPrint();

        QString text = run(QStringLiteral("pdftotext"),
                           {QStringLiteral("-raw"), pdf.file(), QStringLiteral("-")});
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        for (const QString& part : whole) {
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
        }
        const QImage page = render(pdf.file(), pdf.file() + QStringLiteral("-page"));
        ASSERT_FALSE(page.isNull());
        const QRect ink = inkBox(page);
        ASSERT_FALSE(ink.isEmpty());
        // The margin narrows the receipt: nothing is drawn past the text edge it leaves.
        EXPECT_LE(ink.width(), (ReceiptLayout::kTextWidth - settings.paperMargin) * 72 / 254 + 1);
        if (qEnvironmentVariableIsSet("TILLORA_KEEP_RECEIPT")) {
            QFile::copy(pdf.file(), qEnvironmentVariable("TILLORA_KEEP_RECEIPT") +
                                        QString::fromLatin1(margin) + QStringLiteral(".pdf"));
        }
    }
}

// A real print queue: the default CUPS destination (a PDF printer) gets the job without any
// dialog; the job's PDF appears and has ink. Fails where no CUPS scheduler answers.
TEST_F(PrintReceiptTest, PrintsThroughTheDefaultCupsQueueWithoutADialog) {
    const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
    ASSERT_FALSE(lpstat.isEmpty()) << "lpstat not found: CUPS is not installed";
    QProcess scheduler;
    scheduler.start(lpstat, {QStringLiteral("-r")});
    scheduler.waitForFinished(10000);
    ASSERT_TRUE(QString::fromUtf8(scheduler.readAllStandardOutput())
                    .contains(QStringLiteral("scheduler is running")))
        << "no CUPS scheduler answers (scripts/start_cups.sh starts one)";
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    ASSERT_FALSE(defaultPrinter.isNull()) << "CUPS has no default destination";

    ScriptedPrintDialog dialogs;
    openWithTwoLines();
    // A job name of its own, so that its file is told from other jobs'.
    const QString token = QStringLiteral("TilloraReceipt%1x%2")
                              .arg(QCoreApplication::applicationPid())
                              .arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    auto* component = dynamic_cast<PrinterComponent*>(w->component(QStringLiteral("打印机1")));
    ASSERT_NE(component, nullptr);
    component->printer().setDocumentName(token);
    const int before = sales();

    click("按钮_打印小票");
    EXPECT_EQ(dialogs.dialogs, 0);
    EXPECT_EQ(dialogs.fileQuestions, 0);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(sales(), before + 1);

    // cups-pdf writes the job into the printing user's ~/PDF, named after the job.
    const QDir out(QDir::home().filePath(QStringLiteral("PDF")));
    const QString found = waitForPdf(out, token);
    ASSERT_FALSE(found.isEmpty()) << "no PDF for job " << token.toStdString() << " in "
                                  << out.path().toStdString() << " after 60 s (queue "
                                  << defaultPrinter.printerName().toStdString() << ")";
    const QString completed = run(lpstat, {QStringLiteral("-W"), QStringLiteral("completed"),
                                           QStringLiteral("-o"), defaultPrinter.printerName()});
    EXPECT_FALSE(completed.trimmed().isEmpty()) << "no completed job on the queue";
    if (qEnvironmentVariableIsSet("TILLORA_KEEP_RECEIPT")) {
        QFile::copy(found, qEnvironmentVariable("TILLORA_KEEP_RECEIPT"));
    }
    const QImage page = render(found, folder.file(QStringLiteral("cups-page")));
    ASSERT_FALSE(page.isNull());
    EXPECT_FALSE(inkBox(page).isEmpty());
    QFile::remove(found);
}

TEST_F(PrintReceiptTest, NothingIsPrintedForASaleTheDatabaseRefuses) {
    PdfTarget pdf(folder.file(QStringLiteral("refused.pdf")));
    openWithTwoLines({QStringLiteral("update 配置文件 set 显示打印完毕='真'")});
    const int before = sales();
    {
        OtherProgram other(path);
        ASSERT_TRUE(other.run("BEGIN IMMEDIATE"));
        click("按钮_打印小票");
        EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据库正被占用，请稍后再试")});
        EXPECT_FALSE(QFile::exists(pdf.file()));
        EXPECT_EQ(rows(), 2);
    }
    // A file that can't be written (the connection can only read it).
    ASSERT_TRUE(db.OpenMdbDatabase(path, {}, {}, true));
    messages.clear();
    click("按钮_打印小票");
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("添加失败！\r\n数据库文件只能读取，不能写入。")});
    EXPECT_FALSE(QFile::exists(pdf.file()));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(sales(), before);

    // Writable again: the same receipt prints, is stored, and only then says so.
    ASSERT_TRUE(db.OpenMdbDatabase(path));
    messages.clear();
    click("按钮_打印小票");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("打印完毕")});
    EXPECT_TRUE(QFile::exists(pdf.file()));
    EXPECT_EQ(sales(), before + 1);
    EXPECT_EQ(rows(), 0);
}

TEST_F(PrintReceiptTest, TheReceiptCarriesTheNumberActuallyStored) {
    PdfTarget pdf(folder.file(QStringLiteral("number.pdf")));
    openWithTwoLines();
    EXPECT_EQ(w->text(QStringLiteral("编辑框_单号")), QStringLiteral("1608180000002"));
    {
        // Another till stores the number this window shows.
        OtherProgram other(path);
        ASSERT_TRUE(other.run("INSERT INTO 销售记录 (销售票号) VALUES ('1608180000002')"));
    }
    click("按钮_打印小票");
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(text(QStringLiteral("select 销售票号 from 销售记录 order by ID desc")),
              QStringLiteral("1608180000003"));
    const QString printed = pdfText(pdf.file());
    EXPECT_TRUE(printed.contains(QStringLiteral("1608180000003"))) << printed.toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("1608180000002")));
    EXPECT_EQ(w->text(QStringLiteral("编辑框_单号")), QStringLiteral("1608180000004"));
}

// Without a default printer the job opens with the printer's choice, before the sale is stored:
// the stored receipt is drawn into that job, and a sale the database refuses drops it unprinted.
TEST_F(PrintReceiptTest, AJobOpenedWithThePrinterChoiceTakesOnlyAStoredReceipt) {
    PdfTarget pdf(folder.file(QStringLiteral("chosen.pdf")));
    ScriptedPrintDialog dialogs;
    Printer* printer = nullptr;
    ReceiptPrinting printing = module->printing();
    printing.choosePrinter = [&printer](SalesEntryWindow& window) {
        printer = &dynamic_cast<PrinterComponent&>(window.handles().打印机1).printer();
        return printer->StartPrint(false, true);
    };
    module->setPrinting(printing);
    openWithTwoLines();
    const int before = sales();
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral(
        "create trigger refuse before insert on 销售记录 begin select raise(abort, 'no'); end")));
    click("按钮_打印小票");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("添加失败！")});
    ASSERT_NE(printer, nullptr);
    EXPECT_FALSE(printer->isPrinting());
    EXPECT_EQ(rows(), 2);

    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("drop trigger refuse")));
    messages.clear();
    click("按钮_打印小票");
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(sales(), before + 1);
    EXPECT_EQ(rows(), 0);
    const QString printed = pdfText(pdf.file());
    EXPECT_EQ(printed.count(QStringLiteral("单号：")), 1);
    EXPECT_TRUE(printed.contains(QStringLiteral("1608180000002"))) << printed.toStdString();
}

// A clock tick due while the receipt is drawn never runs its handler in the middle of the
// receipt; the clock goes on once the receipt is printed. (Clicks: see the printer's own tests.)
TEST_F(PrintReceiptTest, NoHandlerRunsWhileTheReceiptIsDrawn) {
    PdfTarget pdf(folder.file(QStringLiteral("receipt.pdf")));
    ScriptedPrintDialog dialogs;
    int ticks = 0;
    int ticksWhilePrinting = 0;
    const QString tick = QStringLiteral("salesEntry.clockTick");
    const Handler original = *handlers.find(tick);
    handlers.add(tick, [&ticks, &ticksWhilePrinting, original](const EventArgs& args) {
        auto* printer =
            dynamic_cast<PrinterComponent*>(args.window->component(QStringLiteral("打印机1")));
        ++ticks;
        ticksWhilePrinting += printer != nullptr && printer->printer().isPrinting();
        return original(args);
    });
    openWithTwoLines();
    for (int i = 0; i < 60; ++i) {  // a receipt of several pages
        add(QStringLiteral("茶叶%1").arg(i), QStringLiteral("1.00"), QStringLiteral("1"));
    }
    w->setText(QStringLiteral("编辑框_实收"), QStringLiteral("500"));
    auto* clock = dynamic_cast<Timer*>(w->component(QStringLiteral("时钟1")));
    ASSERT_NE(clock, nullptr);
    clock->setInterval(1);
    QThread::msleep(5);  // the clock is due before the receipt starts

    click("按钮_打印小票");
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(ticksWhilePrinting, 0);
    EXPECT_GE(pdfText(pdf.file()).count(QLatin1Char('\f')), 2);  // pages were served between

    QElapsedTimer waited;
    waited.start();
    while (ticks == 0 && waited.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    clock->setInterval(0);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(ticksWhilePrinting, 0);
}

// Customers in a row at the keyboard, each typed straight after the last: cash paid exactly (F10),
// a slip deleted and cash short then paid (F9), 微信 with a gift (F9), a return under a cashier
// who is no user and then with F10 pressed twice. Every line lands, every sale is stored once,
// the paper shows the money as it went, and only products of stored lines are remembered.
TEST_F(PrintReceiptTest, ACashiersRushStoresEachSaleOnceWithItsPayment) {
    PdfTarget pdf(folder.file(QStringLiteral("rush.pdf")));
    w = open(FormId::SalesEntry);
    ASSERT_TRUE(w != nullptr && Keyboard::activate(w));
    Keyboard keys(w);
    const auto type = [&](std::initializer_list<const char*> texts) {
        for (const char* typed : texts) {
            keys.type(QString::fromUtf8(typed));
            keys.press(Qt::Key_Return);
        }
    };
    const auto finish = [&](Qt::Key key) {
        keys.press(key);
        QCoreApplication::processEvents();  // the loop runs between two keys
        return keys.focusedName().toStdString();
    };
    const auto focus = [&](const char* name) {
        w->component(QString::fromUtf8(name))->widget()->setFocus();
    };
    const auto paper = [&] { return pdfText(pdf.file()).remove(u' ').remove(u'\n'); };
    const int before = sales();
    focus("按钮_打印小票");
    EXPECT_EQ(finish(Qt::Key_F9), "编辑框_名称");  // nothing to print
    type({"茶叶", "5", "2"});
    // The preview takes the keyboard: Esc closes it, and the keys go on into the sale.
    finish(Qt::Key_F5);
    FormWindow* preview = manager->window(static_cast<qint32>(FormId::Preview));
    ASSERT_TRUE(preview != nullptr && QApplication::activeWindow() == preview);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(manager->isOpen(static_cast<qint32>(FormId::Preview)));
    EXPECT_EQ(finish(Qt::Key_F10), "编辑框_名称");
    type({"笔", "3", "1", "chaa", "1", "1", "本子", "2.5", "4"});
    focus("超级列表框1");
    dynamic_cast<ListView*>(w->component(QStringLiteral("超级列表框1")))->setCurrentIndex(1);
    keys.press(Qt::Key_Delete);
    focus("编辑框_实收");
    keys.type(QStringLiteral("5"));
    EXPECT_EQ(finish(Qt::Key_F9), "编辑框_实收");
    keys.type(QStringLiteral("20"));
    EXPECT_EQ(finish(Qt::Key_F9), "编辑框_名称");
    EXPECT_TRUE(paper().contains(QStringLiteral("实收现金:20.00找零:7.00")))
        << paper().toStdString();
    type({"dy", "8", "1", "赠品", "0", "1"});
    w->component(QStringLiteral("选择框_付款方式"))->setChecked(true);
    click("选择框_付款方式");
    w->setText(QStringLiteral("编辑框_付款方式"), QStringLiteral("微信"));
    EXPECT_EQ(finish(Qt::Key_F9), "编辑框_名称");
    EXPECT_TRUE(paper().contains(QStringLiteral("实收现金:8.00找零:0.00收银员:admin付款方式:微信")))
        << paper().toStdString();
    if (const QString shots = qEnvironmentVariable("TILLORA_SCREENSHOT_DIR"); !shots.isEmpty()) {
        render(pdf.file(), QDir(shots).filePath(QStringLiteral("receipt_wechat")));
    }
    type({"茶叶", "5", "-2"});
    focus("编辑框_收银员");
    keys.type(QStringLiteral("x"));
    EXPECT_EQ(finish(Qt::Key_F10), "编辑框_收银员");
    keys.press(Qt::Key_F10);
    EXPECT_EQ(finish(Qt::Key_F10), "编辑框_名称");
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("没有可以打印的数据！"),
                           QStringLiteral("实收 5.00 少于折后总额 13.00，请收足现金或改正实收！"),
                           QStringLiteral("收银员 adminx 不是本店用户，请从列表中选择！")}));
    ASSERT_EQ(sales(), before + 4);
    EXPECT_EQ(
        text(QStringLiteral("select group_concat(h.实收现金 || ' ' || h.找零 || ' ' || h.收银员 || "
                            "' ' || d.名称 || ' ' || d.数量, '|') from 销售记录 h, 销售详情 d "
                            "where d.关联 = h.ID and h.ID > 401")),
        QStringLiteral("10.00 0.00 admin 茶叶 2|20.00 7.00 admin 笔 1|20.00 7.00 admin 本子 4|"
                       "8.00 0.00 admin dy 1|8.00 0.00 admin 赠品 1|0.00 10.00 admin 茶叶 -2"));
    EXPECT_EQ(text(QStringLiteral("select group_concat(名称) from 商品名称 where ID > 26")),
              QStringLiteral("茶叶,笔,本子,dy"));
}

}  // namespace
}  // namespace tillora::test
