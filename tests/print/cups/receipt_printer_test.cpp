// Receipt printers as shops have them, each behind a private CUPS queue of this test: a page
// printer whose own paper is a 58 mm roll.
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include "print/printer.h"
#include "tests/print/cups/cups_client.h"
#include "tests/print/cups/job_listener.h"

namespace tillora::test {
namespace {

QString queueName(const char* kind) {
    return QStringLiteral("Tillora%1%2")
        .arg(QLatin1String(kind))
        .arg(QCoreApplication::applicationPid());
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

    DefaultRestorer restore;
};

// A page printer whose default paper is a 58 x 210 mm roll (and which lists A4 as well): the
// receipt's page is the roll, not the locale's A4.
TEST_F(ReceiptPrinterTest, PagePrinterPrintsOnItsOwnRoll) {
    QFile pdfDriver(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"));
    if (!pdfDriver.open(QIODevice::ReadOnly)) {
        GTEST_SKIP() << "cups-pdf is not installed";
    }
    QString ppd = QString::fromLatin1(pdfDriver.readAll());
    const QString roll = QStringLiteral("X58MMY210MM");
    for (const char* keyword : {"PageSize", "PageRegion", "ImageableArea", "PaperDimension"}) {
        const QString k = QLatin1String(keyword);
        ppd.replace(QStringLiteral("*Default%1: A4").arg(k),
                    QStringLiteral("*Default%1: %2").arg(k, roll));
    }
    ppd.replace(QStringLiteral("*PageSize A4/A4:"),
                QStringLiteral("*PageSize %1/58 x 210 mm: \"<</PageSize[164 595]/ImagingBBox null>>"
                               "setpagedevice\"\n*PageSize A4/A4:")
                    .arg(roll));
    ppd.replace(QStringLiteral("*PageRegion A4/A4:"),
                QStringLiteral("*PageRegion %1/58 x 210 mm: \"<</PageSize[164 595]/ImagingBBox "
                               "null>>setpagedevice\"\n*PageRegion A4/A4:")
                    .arg(roll));
    ppd.replace(
        QStringLiteral("*ImageableArea A4/A4:"),
        QStringLiteral("*ImageableArea %1/58 x 210 mm: \"0 0 164 595\"\n*ImageableArea A4/A4:")
            .arg(roll));
    ppd.replace(
        QStringLiteral("*PaperDimension A4/A4:"),
        QStringLiteral("*PaperDimension %1/58 x 210 mm: \"164 595\"\n*PaperDimension A4/A4:")
            .arg(roll));
    QFile rollDriver(folder.file(QStringLiteral("roll58.ppd")));
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
    // The roll less the driver's margins: nowhere near A4's 2100.
    EXPECT_GT(printer.printableWidth(), 400);
    EXPECT_LE(printer.printableWidth(), 580);
    printer.WriteAt(0, 0, QStringList{QStringLiteral("单号：2026120800017")});
    printer.EndPrint();

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
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), 164.4, 2);
    EXPECT_NEAR(size.captured(2).toDouble(), 595.3, 2);
    QFile::remove(found);
}

}  // namespace
}  // namespace tillora::test
