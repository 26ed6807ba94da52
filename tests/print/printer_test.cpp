// The printer component on real print jobs sent to a PDF file, read back with poppler.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include "print/print_progress_window.h"
#include "print/printer.h"
#include "tests/print/scripted_print_dialog.h"
#include "tests/support/temp_program_folder.h"

namespace tillora {
namespace {

// Sends jobs to a PDF file in a fresh folder for the test's lifetime.
class PdfTarget {
  public:
    PdfTarget() { Printer::setOutputFileOverride(file()); }
    ~PdfTarget() { Printer::setOutputFileOverride({}); }
    QString file() const { return folder_.file(QStringLiteral("job.pdf")); }

  private:
    test::TempProgramFolder folder_;
};

QString run(const QString& tool, const QStringList& args) {
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " not found (poppler-utils)";
        return {};
    }
    QProcess p;
    p.start(path, args);
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 0) << tool.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& pdf, int page = 0) {
    QStringList args;
    if (page > 0) {
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    }
    args << pdf << QStringLiteral("-");
    return run(QStringLiteral("pdftotext"), args);
}

QImage render(const QString& pdf, const QString& prefix) {
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

PrintProgressWindow* shownProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* pw = qobject_cast<PrintProgressWindow*>(w); pw != nullptr && pw->isVisible()) {
            return pw;
        }
    }
    return nullptr;
}

// A left click waiting in the queue, as the window system hands it over.
void postClick(QWidget* w) {
    const QPointF at = QRectF(w->rect()).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(
            w, new QMouseEvent(type, at, w->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier));
    }
}

QStringList numberedLines(const QString& stem, int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines.append(stem + QString::number(i));
    }
    return lines;
}

TEST(PrinterTest, NewComponentHasTheDocumentedDefaultsAndIdleFigures) {
    Printer p;
    const std::pair<int, int> expected[] = {
        {Printer::UnitProperty, 1},
        {Printer::PenTypeProperty, 1},
        {Printer::DrawModeProperty, 12},
        {Printer::BrushColourProperty, 0xFFFFFF},
        {Printer::CopiesProperty, 1},
        {Printer::MinPageProperty, -1},
        {Printer::FromPageProperty, 1},
        {Printer::ToPageProperty, -1},
        {Printer::PrintRangeProperty, -1},
        {Printer::CurrentPageProperty, 1},
        {Printer::CurrentCopyProperty, 1},
        {Printer::PrintableWidthProperty, 0},
        {Printer::PrintableHeightProperty, 0},
        {Printer::CancelledProperty, 0},
    };
    for (const auto& [number, value] : expected) {
        EXPECT_EQ(p.propertyByNumber(number).toInt(), value) << "property " << number;
    }
    EXPECT_EQ(p.propertyByNumber(Printer::TextBackColourProperty).toLongLong() & 0xFFFFFFFF,
              0xFF000000LL);
    EXPECT_FALSE(p.setPropertyByNumber(Printer::PrintableWidthProperty, 5));
    EXPECT_FALSE(p.propertyByNumber(Printer::PropertyCount).isValid());
}

TEST(PrinterTest, PropertiesClampByNumber) {
    Printer p;
    const std::tuple<int, int, int> cases[] = {
        {Printer::CopiesProperty, -7, -1},   {Printer::CopiesProperty, 70000, 65535},
        {Printer::MinPageProperty, -9, -1},  {Printer::MinPageProperty, 40000, 32767},
        {Printer::PrintRangeProperty, 4, 1}, {Printer::PrintRangeProperty, -4, -1},
        {Printer::CollateProperty, 9, 1},    {Printer::UnitProperty, 8, 5},
        {Printer::DrawModeProperty, -1, 0},
    };
    for (const auto& [number, value, expected] : cases) {
        ASSERT_TRUE(p.setPropertyByNumber(number, value));
        EXPECT_EQ(p.propertyByNumber(number).toInt(), expected) << "property " << number;
    }
}

TEST(PrinterTest, WritesTextsInOrderIntoThePdfAndKeepsInkOnThePage) {
    PdfTarget target;
    Printer p;
    p.setMargins(30, 40, 0, 0);
    // 58 mm receipt paper, 150 mm long.
    ASSERT_TRUE(p.StartPrint(false, false, Printer::Paper(-1), std::nullopt, 580, 1500));
    EXPECT_TRUE(p.isPrinting());
    EXPECT_GT(p.printableWidth(), 0);
    EXPECT_LE(p.printableWidth(), 580 - 30);
    const int printable = p.printableWidth();
    p.WriteAt(0, 0, QStringList{QStringLiteral("单号："), QStringLiteral("T2016")});
    p.DrawLine(0, 155, p.printableWidth(), 155);
    p.SetWritePosition(0, 180);
    p.WriteLines(QStringList{QStringLiteral("名称\r\nApple")});
    p.EndPrint();
    EXPECT_FALSE(p.isPrinting());
    EXPECT_EQ(p.printableWidth(), 0);

    const QString text = pdfText(target.file());
    const qsizetype a = text.indexOf(QStringLiteral("单号："));
    const qsizetype b = text.indexOf(QStringLiteral("T2016"));
    const qsizetype c = text.indexOf(QStringLiteral("名称"));
    const qsizetype d = text.indexOf(QStringLiteral("Apple"));
    ASSERT_GE(a, 0) << text.toStdString();
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_LT(c, d);

    const QImage page = render(target.file(), target.file() + QStringLiteral("-page"));
    ASSERT_FALSE(page.isNull());
    // 58 mm at 72 dpi.
    EXPECT_NEAR(page.width(), 164, 1);
    const QRect ink = inkBox(page);
    ASSERT_FALSE(ink.isEmpty());
    // Text starts at the margin (3 mm = 8.5 points), the rule spans the printable width and
    // nothing goes beyond it, and the lines end before 60 mm down.
    EXPECT_GE(ink.left(), 8);
    EXPECT_NEAR(ink.width(), printable * 72 / 254, 2);
    EXPECT_GE(ink.top(), 11);
    EXPECT_LT(ink.bottom(), 60 * 72 / 25);
}

TEST(PrinterTest, StartPrintWhileAJobIsOpenFailsAndLeavesTheJobAlone) {
    PdfTarget target;
    Printer p;
    ASSERT_TRUE(p.StartPrint(false, false));
    p.WriteAt(0, 0, QStringList{QStringLiteral("first")});
    EXPECT_FALSE(p.StartPrint(false, false));
    EXPECT_TRUE(p.isPrinting());
    p.WriteAt(0, 100, QStringList{QStringLiteral("second")});
    p.EndPrint();
    const QString text = pdfText(target.file());
    EXPECT_TRUE(text.contains(QStringLiteral("first")));
    EXPECT_TRUE(text.contains(QStringLiteral("second")));
}

TEST(PrinterTest, WriteLinesBreaksThePageWhenLessThanALineIsLeft) {
    PdfTarget target;
    Printer p;
    ASSERT_TRUE(p.StartPrint(false, false, Printer::Paper(-1), std::nullopt, 580, 600));
    const int height = p.printableHeight();
    ASSERT_GT(height, 100);
    p.SetWritePosition(0, height - 10);
    p.WriteLines(QStringList{QStringLiteral("onpagetwo")});
    EXPECT_EQ(p.currentPage(), 2);
    EXPECT_LT(p.writePosition().y(), 60);  // one line below the top
    p.EndPrint();
    EXPECT_FALSE(pdfText(target.file(), 1).contains(QStringLiteral("onpagetwo")));
    EXPECT_TRUE(pdfText(target.file(), 2).contains(QStringLiteral("onpagetwo")));
}

TEST(PrinterTest, LineAdvanceIsTextHeightPlusTwoDevicePixels) {
    PdfTarget target;
    Printer p;
    ASSERT_TRUE(p.StartPrint(false, false));
    EXPECT_EQ(p.characterHeight(), 31);
    p.SetWritePosition(0, 0);
    p.WriteLines(QStringList{QStringLiteral("a")});
    const int oneLine = p.writePosition().y();
    p.SetWritePosition(0, 0);
    p.WriteLines(QStringList{QStringLiteral("a\r\nb")});
    const UnitMapping m = p.mapping();
    EXPECT_EQ(p.writePosition().y(), m.toLogicalY(m.toDeviceY(oneLine) * 2));
    // A line is taller than the character height but by less than half of it.
    EXPECT_GT(oneLine, 31);
    EXPECT_LT(oneLine, 47);
    p.EndPrint();
}

TEST(PrinterTest, DialogIsAskedOnlyWhenWantedAndCopiesMinusOneIsKept) {
    PdfTarget target;
    test::ScriptedPrintDialog dialog;
    dialog.userChoice = [](QPrinter& printer) { printer.setCopyCount(3); };
    Printer p;
    ASSERT_TRUE(p.StartPrint(false, false));
    p.EndPrint();
    EXPECT_EQ(dialog.dialogs, 0);

    p.setCopies(-1);
    ASSERT_TRUE(p.StartPrint(true, false));
    p.EndPrint();
    EXPECT_EQ(dialog.dialogs, 1);
    EXPECT_EQ(dialog.copiesShown, 1);
    EXPECT_EQ(p.copies(), -1);
    EXPECT_FALSE(dialog.lastRequest.showPageRange);
    EXPECT_FALSE(dialog.lastRequest.allowSelection);

    p.setCopies(2);
    ASSERT_TRUE(p.StartPrint(true, false));
    p.EndPrint();
    EXPECT_EQ(dialog.copiesShown, 2);
    EXPECT_EQ(p.copies(), 3);  // the dialog's choice comes back

    dialog.accept = false;
    EXPECT_FALSE(p.StartPrint(true, false));
    EXPECT_FALSE(p.isPrinting());
}

TEST(PrinterTest, PageRangeIsOfferedFromMinPageAndReadBack) {
    PdfTarget target;
    test::ScriptedPrintDialog dialog;
    dialog.userChoice = [](QPrinter& printer) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 5);
    };
    Printer p;
    p.setMinPage(1);
    p.setMaxPage(-1);
    ASSERT_TRUE(p.StartPrint(true, false));
    EXPECT_TRUE(dialog.lastRequest.showPageRange);
    EXPECT_EQ(dialog.lastRequest.maxPage, 65535);
    EXPECT_EQ(p.fromPage(), 2);
    EXPECT_EQ(p.toPage(), 5);
    EXPECT_EQ(p.currentPage(), 2);
    p.EndPrint();
    EXPECT_EQ(p.currentPage(), 1);
}

TEST(PrinterTest, AbortFromTheProgressWindowEndsTheJob) {
    PdfTarget target;
    Printer p;
    p.setDocumentName(QStringLiteral("小票"));
    ASSERT_TRUE(p.StartPrint(false, true));
    PrintProgressWindow* progress = shownProgressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("正在进行打印，请稍候 ......"));
    auto* abort = progress->findChild<QPushButton*>(QStringLiteral("中止打印"));
    ASSERT_NE(abort, nullptr);
    p.WriteAt(0, 0, QStringList{QStringLiteral("before")});
    abort->click();
    EXPECT_EQ(p.cancelled(), 1);
    EXPECT_FALSE(p.isPrinting());
    p.WriteAt(0, 50, QStringList{QStringLiteral("after")});  // nothing to draw on: ignored
    const QString text = pdfText(target.file());
    EXPECT_TRUE(text.contains(QStringLiteral("before")));
    EXPECT_FALSE(text.contains(QStringLiteral("after")));
}

// While a job is drawn only the progress window is served, and only between pages: a click or a
// timer tick meant for another window never runs in the middle of the job, and 中止打印 stops
// it at the next page.
TEST(PrinterTest, BetweenPagesOnlyTheProgressWindowIsServed) {
    PdfTarget target;
    Printer p;
    QPushButton other(QStringLiteral("other"));
    other.resize(120, 40);
    other.show();
    int clicksWhilePrinting = 0;
    QObject::connect(&other, &QPushButton::clicked, [&] { clicksWhilePrinting += p.isPrinting(); });
    int ticks = 0;
    int ticksWhilePrinting = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        ticksWhilePrinting += p.isPrinting();
    });
    ticker.start(0);

    ASSERT_TRUE(p.StartPrint(false, true));
    PrintProgressWindow* progress = shownProgressWindow();
    ASSERT_NE(progress, nullptr);
    postClick(&other);
    p.WriteLines(numberedLines(QStringLiteral("first"), 300));
    EXPECT_GE(p.currentPage(), 2);  // the pages were served in between
    EXPECT_TRUE(p.isPrinting());
    EXPECT_EQ(clicksWhilePrinting, 0);
    EXPECT_EQ(ticksWhilePrinting, 0);

    auto* abort = progress->findChild<QPushButton*>(QStringLiteral("中止打印"));
    ASSERT_NE(abort, nullptr);
    postClick(abort);
    p.WriteLines(numberedLines(QStringLiteral("second"), 300));
    EXPECT_EQ(p.cancelled(), 1);
    EXPECT_FALSE(p.isPrinting());
    const QString text = pdfText(target.file());
    EXPECT_TRUE(text.contains(QStringLiteral("first299")));
    EXPECT_FALSE(text.contains(QStringLiteral("second299")));

    // Once the job is over the other window's timer runs again.
    for (int i = 0; i < 5 && ticks == 0; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(ticksWhilePrinting, 0);
}

}  // namespace
}  // namespace tillora
