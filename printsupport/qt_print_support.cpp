// Qt's print support for the program, loaded on the first print: see print/print_support.h.
// Only Qt and header-only interfaces of the program may be used here.
#include <QFileDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "print/print_dialog_service.h"
#include "print/print_support.h"

namespace tillora {

namespace {

class QtPrintDevice final : public PrintDevice {
  public:
    QtPrintDevice() {
        // Qt keeps its locale's paper (A4) whenever the printer lists it too; a receipt printer's
        // default is its own roll, and the receipt belongs on that.
        const QPageSize own = QPrinterInfo(printer_).defaultPageSize();
        if (own.isValid()) {
            printer_.setPageSize(own);
        }
    }

    QPrinter& printer() override { return printer_; }
    QPagedPaintDevice& sheet() override { return printer_; }

    void setOutputFile(const QString& path) override {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(path);
    }
    bool toFile() const override { return printer_.outputFormat() == QPrinter::PdfFormat; }
    QString outputFile() const override { return printer_.outputFileName(); }

    void setCopies(int copies, bool collate) override {
        printer_.setCopyCount(copies);
        printer_.setCollateCopies(collate);
    }
    int copies() const override { return printer_.copyCount(); }
    bool collate() const override { return printer_.collateCopies(); }

    void setRange(PrintRange range, int from, int to) override {
        switch (range) {
            case PrintRange::All:
                printer_.setPrintRange(QPrinter::AllPages);
                break;
            case PrintRange::Selection:
                printer_.setPrintRange(QPrinter::Selection);
                break;
            case PrintRange::PageRange:
                printer_.setFromTo(from, to);
                printer_.setPrintRange(QPrinter::PageRange);
                break;
        }
    }
    PrintRange range() const override {
        switch (printer_.printRange()) {
            case QPrinter::Selection:
                return PrintRange::Selection;
            case QPrinter::PageRange:
                return PrintRange::PageRange;
            default:
                return PrintRange::All;
        }
    }
    int fromPage() const override { return printer_.fromPage(); }
    int toPage() const override { return printer_.toPage(); }

    void setDocumentName(const QString& name) override { printer_.setDocName(name); }
    QString printerName() const override { return printer_.printerName(); }
    QString printerPlace() const override {
        const QPrinterInfo info(printer_);
        return info.location().isEmpty() ? info.printerName() : info.location();
    }
    QList<QPageSize> supportedPageSizes() const override {
        return QPrinterInfo(printer_).supportedPageSizes();
    }
    void abort() override { printer_.abort(); }

  private:
    QPrinter printer_{QPrinter::HighResolution};
};

class QtPrintDialogService final : public PrintDialogService {
  public:
    bool choosePrinter(QPrinter& printer, const PrintDialogRequest& request,
                       QWidget* owner) override {
        QPrintDialog dialog(&printer, owner);
        QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile |
                                                           QAbstractPrintDialog::PrintShowPageSize |
                                                           QAbstractPrintDialog::PrintCollateCopies;
        if (request.showPageRange) {
            options |= QAbstractPrintDialog::PrintPageRange;
            dialog.setMinMax(request.minPage, request.maxPage);
        }
        if (request.allowSelection) {
            options |= QAbstractPrintDialog::PrintSelection;
        }
        dialog.setOptions(options);
        return dialog.exec() == QDialog::Accepted;
    }

    QString chooseOutputFile(const QString& defaultName, QWidget* owner) override {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("打印到文件"), defaultName,
                                            QStringLiteral("打印输出文件 (*.pdf);;所有文件 (*)"));
    }
};

class QtPrintSupport final : public PrintSupport {
  public:
    std::unique_ptr<PrintDevice> newDevice() override { return std::make_unique<QtPrintDevice>(); }
    bool hasDefaultPrinter() const override { return !QPrinterInfo::defaultPrinter().isNull(); }
    PrintDialogService& dialogs() override { return dialogs_; }

  private:
    QtPrintDialogService dialogs_;
};

}  // namespace

}  // namespace tillora

extern "C" Q_DECL_EXPORT tillora::PrintSupport* tilloraPrintSupport() {
    static tillora::QtPrintSupport support;
    return &support;
}
