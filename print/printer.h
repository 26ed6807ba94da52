#pragma once

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "print/painter_surface.h"
#include "templates/printer_block.h"

class QWidget;

namespace tillora {

class PrintDevice;
class PrintProgressWindow;

// The printer component: one print job at a time, drawn through the drawing interface in the
// printable area of the page.
class Printer : public QObject, public PainterSurface {
    Q_OBJECT
  public:
    // Property numbers of the component model.
    enum Property {
        UnitProperty = 0,
        PenTypeProperty,
        DrawModeProperty,
        PenWidthProperty,
        PenColourProperty,
        BrushTypeProperty,
        BrushColourProperty,
        TextColourProperty,
        TextBackColourProperty,
        FontProperty,
        DocumentNameProperty,
        CopiesProperty,
        CollateProperty,
        MinPageProperty,
        MaxPageProperty,
        FromPageProperty,
        ToPageProperty,
        PrintRangeProperty,
        LeftMarginProperty,
        TopMarginProperty,
        RightMarginProperty,
        BottomMarginProperty,
        CurrentPageProperty,
        CurrentCopyProperty,
        PrintableWidthProperty,
        PrintableHeightProperty,
        CancelledProperty,
        PropertyCount
    };

    // A paper argument: none, a paper code, or a form name.
    using Paper = std::variant<std::monostate, int, QString>;

    explicit Printer(QObject* parent = nullptr);
    ~Printer() override;

    // The window the print dialog and the progress window belong to (default: the parent,
    // when it is a widget).
    void setOwnerWidget(QWidget* owner) { owner_ = owner; }

    // The stored form.
    PrinterBlock block() const;
    void applyBlock(const PrinterBlock& block);
    // False (and nothing changed) for a block that can't be read.
    bool loadBlock(const QByteArray& data);
    QByteArray writeBlock() const { return block().write(); }

    // Properties by number; invalid for an unknown number. Setting a read-only or unknown
    // property returns false.
    QVariant propertyByNumber(int number) const;
    bool setPropertyByNumber(int number, const QVariant& value);

    QString documentName() const { return documentName_; }
    void setDocumentName(const QString& name) { documentName_ = name; }
    int copies() const { return copies_; }
    void setCopies(int copies);
    int collate() const { return collate_; }
    void setCollate(int collate) { collate_ = collate != 0 ? 1 : 0; }
    int minPage() const { return minPage_; }
    void setMinPage(int page);
    int maxPage() const { return maxPage_; }
    void setMaxPage(int page) { maxPage_ = page; }
    int fromPage() const { return fromPage_; }
    void setFromPage(int page) { fromPage_ = page; }
    int toPage() const { return toPage_; }
    void setToPage(int page) { toPage_ = page; }
    int printRange() const { return printRange_; }
    void setPrintRange(int range);

    bool isPrinting() const;
    int currentPage() const { return isPrinting() ? currentPage_ : 1; }
    int currentCopy() const { return isPrinting() ? currentCopy_ : 1; }
    int printableWidth() const;
    int printableHeight() const;
    int cancelled() const { return cancelled_; }
    // Where the open (or last) job went: printer name or output file.
    QString destination() const { return destination_; }
    // True while the open (or last) job goes to a receipt printer (a queue without a driver):
    // the page is drawn as dots, on a roll as wide as the till's paper.
    bool receiptPrinter() const { return !rawQueue_.isEmpty(); }
    // The printable width a receipt takes on the open job's paper, 0.1 mm: 720 on 80 mm paper (a
    // receipt printer set to 80 mm, or a page printer whose own paper is an 80 mm roll), 480
    // otherwise (58 mm paper, and the receipt's width on a sheet).
    int receiptWidth() const;
    // The open job ends with the cash drawer pulse (receipt printers only).
    void requestDrawerPulse() { drawerPulse_ = true; }
    // Why the last job did not reach the printer, for the cashier; empty when it did (or when the
    // print system takes the job and tells nothing more, as for page printers).
    QString failure() const { return failure_; }
    // Opens the cash drawer on the default printer without printing; the failure, or empty.
    static QString openCashDrawer();
    static QString noDrawerPrinterText() {
        return QStringLiteral("默认打印机不是小票打印机，不能打开钱箱！");
    }

    bool StartPrint(bool showDialog = true, bool showProgress = true, const Paper& paper = {},
                    std::optional<int> orientation = {}, int paperWidth = 0, int paperHeight = 0);
    void EndPrint();
    // Ends the open job as cancelled: whatever was started is not wanted.
    void discardJob();
    // Jobs open in the whole program (drawn or being taken by the printer).
    static int jobsOpen();
    // An end of the program waits for the open jobs: `then` runs from the event loop once none
    // is open, at once when none is.
    static void afterOpenJobs(std::function<void()> then);
    // True while something waits for the open jobs (the program is ending).
    static bool endWaiting();
    // True when StartPrint would have to ask for a printer even without its dialog (there is no
    // default printer and no output file override).
    static bool mustChoosePrinter();

    // Sends every job to this PDF file instead of a printer (empty = normal printing). The
    // print dialog is still shown when StartPrint asks for it, but never because no default
    // printer exists.
    static void setOutputFileOverride(const QString& pdfPath);
    static QString outputFileOverride();

    // The job name used when DocumentName is empty.
    static QString defaultDocumentName() { return QStringLiteral("未命名打印作业"); }
    // Told when the print support module can't be loaded.
    static QString printSupportMissingText();

  protected:
    double deviceDpiX() const override;
    double deviceDpiY() const override;
    QPainter* acquirePainter() override;
    std::optional<int> pageBreakHeight() override;
    bool startNextPage() override;

  private:
    void abortJob();
    static void jobClosed();
    // Lets the progress window paint and take its abort button, and nothing else run.
    void serveProgress();
    void closeProgress();
    bool applyPaper(const Paper& paper, std::optional<int> orientation, int width, int height);
    QSize sheetPixels() const;
    void sendReceipt(const QString& jobName);

    QString documentName_;
    int copies_ = 1;
    int collate_ = 0;
    int minPage_ = -1;
    int maxPage_ = -1;
    int fromPage_ = 1;
    int toPage_ = -1;
    int printRange_ = -1;
    int currentPage_ = 1;
    int currentCopy_ = 1;
    int cancelled_ = 0;
    QString destination_;
    QString rawQueue_;
    QImage dots_;
    bool drawerPulse_ = false;
    QString failure_;

    std::unique_ptr<PrintDevice> device_;
    QPainter painter_;
    QPointer<PrintProgressWindow> progress_;
    QPointer<QWidget> owner_;
    double dpiX_ = 96;
    double dpiY_ = 96;
};

}  // namespace tillora
