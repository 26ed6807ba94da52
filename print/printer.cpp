#include "print/printer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QWidget>
#include <algorithm>
#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "forms/services/message_service.h"
#include "platform/event_log.h"
#include "print/escpos_raster.h"
#include "print/print_dialog_service.h"
#include "print/print_progress_window.h"
#include "print/print_support.h"
#include "print/raw_print_job.h"
#include "print/system_printers.h"
#include "print/till_printer.h"

namespace tillora {

namespace {

QString& outputOverride() {
    static QString path;
    return path;
}

int openJobs = 0;
int endsWaiting = 0;  // queued or not yet run
std::vector<std::function<void()>>& afterJobs() {
    static std::vector<std::function<void()>> waiting;
    return waiting;
}

// Paper codes 1..16 in the order of the Windows paper sizes they stand for.
constexpr std::array<QPageSize::PageSizeId, 16> kPaperCodes{
    QPageSize::A3,      QPageSize::A4,     QPageSize::A5,        QPageSize::JisB4,
    QPageSize::JisB5,   QPageSize::Quarto, QPageSize::Prc16K,    QPageSize::Prc32K,
    QPageSize::Letter,  QPageSize::Legal,  QPageSize::Executive, QPageSize::Statement,
    QPageSize::Tabloid, QPageSize::Note,   QPageSize::Ledger,    QPageSize::Folio};

std::optional<QPageSize> pageSizeByName(const QString& name, const PrintDevice& device) {
    const QString wanted = name.left(31);
    for (const QPageSize& size : device.supportedPageSizes()) {
        if (size.name().compare(wanted, Qt::CaseInsensitive) == 0 ||
            size.key().compare(wanted, Qt::CaseInsensitive) == 0) {
            return size;
        }
    }
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const QPageSize size(static_cast<QPageSize::PageSizeId>(id));
        if (size.name().compare(wanted, Qt::CaseInsensitive) == 0 ||
            size.key().compare(wanted, Qt::CaseInsensitive) == 0) {
            return size;
        }
    }
    return std::nullopt;
}

}  // namespace

Printer::Printer(QObject* parent) : QObject(parent), owner_(qobject_cast<QWidget*>(parent)) {
    setUnit(1);
}

Printer::~Printer() {
    // A job still open here was never finished by what drew it (the program is ending in the
    // middle of it): what was drawn so far is no receipt, and nothing of it is sent.
    discardJob();
}

int Printer::jobsOpen() {
    return openJobs;
}

void Printer::afterOpenJobs(std::function<void()> then) {
    if (openJobs == 0) {
        then();
        return;
    }
    ++endsWaiting;
    afterJobs().push_back(std::move(then));
}

bool Printer::endWaiting() {
    return endsWaiting > 0;
}

void Printer::jobClosed() {
    openJobs = std::max(0, openJobs - 1);
    if (openJobs > 0) {
        return;
    }
    // Carried out from the event loop, once whatever closed the job has had its say.
    for (std::function<void()>& then : std::exchange(afterJobs(), {})) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [then = std::move(then)] {
                --endsWaiting;
                then();
            },
            Qt::QueuedConnection);
    }
}

void Printer::setOutputFileOverride(const QString& pdfPath) {
    outputOverride() = pdfPath;
}

QString Printer::outputFileOverride() {
    return outputOverride();
}

PrinterBlock Printer::block() const {
    PrinterBlock b;
    b.drawing = drawingProperties();
    b.leftMargin = leftMargin();
    b.topMargin = topMargin();
    b.rightMargin = rightMargin();
    b.bottomMargin = bottomMargin();
    b.copies = copies_;
    b.collate = collate_;
    b.minPage = minPage_;
    b.maxPage = maxPage_;
    b.fromPage = fromPage_;
    b.toPage = toPage_;
    b.printRange = printRange_;
    b.documentName = documentName_;
    return b;
}

void Printer::applyBlock(const PrinterBlock& b) {
    setDrawingProperties(b.drawing);
    setMargins(b.leftMargin, b.topMargin, b.rightMargin, b.bottomMargin);
    setCopies(b.copies);
    setCollate(b.collate);
    setMinPage(b.minPage);
    setMaxPage(b.maxPage);
    setFromPage(b.fromPage);
    setToPage(b.toPage);
    setPrintRange(b.printRange);
    setDocumentName(b.documentName);
}

bool Printer::loadBlock(const QByteArray& data) {
    const std::optional<PrinterBlock> b = PrinterBlock::parse(data);
    if (!b) {
        return false;
    }
    applyBlock(*b);
    return true;
}

void Printer::setCopies(int copies) {
    copies_ = std::clamp(copies, -1, 65535);
}
void Printer::setMinPage(int page) {
    minPage_ = std::clamp(page, -1, 32767);
}
void Printer::setPrintRange(int range) {
    printRange_ = std::clamp(range, -1, 1);
}

QVariant Printer::propertyByNumber(int number) const {
    if (number >= UnitProperty && number <= FontProperty) {
        return drawingProperty(number - UnitProperty);
    }
    switch (number) {
        case DocumentNameProperty:
            return documentName_;
        case CopiesProperty:
            return copies_;
        case CollateProperty:
            return collate_;
        case MinPageProperty:
            return minPage_;
        case MaxPageProperty:
            return maxPage_;
        case FromPageProperty:
            return fromPage_;
        case ToPageProperty:
            return toPage_;
        case PrintRangeProperty:
            return printRange_;
        case LeftMarginProperty:
            return leftMargin();
        case TopMarginProperty:
            return topMargin();
        case RightMarginProperty:
            return rightMargin();
        case BottomMarginProperty:
            return bottomMargin();
        case CurrentPageProperty:
            return currentPage();
        case CurrentCopyProperty:
            return currentCopy();
        case PrintableWidthProperty:
            return printableWidth();
        case PrintableHeightProperty:
            return printableHeight();
        case CancelledProperty:
            return cancelled_;
        default:
            return {};
    }
}

bool Printer::setPropertyByNumber(int number, const QVariant& value) {
    if (number >= UnitProperty && number <= FontProperty) {
        return setDrawingProperty(number - UnitProperty, value);
    }
    const int i = value.toInt();
    switch (number) {
        case DocumentNameProperty:
            setDocumentName(value.toString());
            return true;
        case CopiesProperty:
            setCopies(i);
            return true;
        case CollateProperty:
            setCollate(i);
            return true;
        case MinPageProperty:
            setMinPage(i);
            return true;
        case MaxPageProperty:
            setMaxPage(i);
            return true;
        case FromPageProperty:
            setFromPage(i);
            return true;
        case ToPageProperty:
            setToPage(i);
            return true;
        case PrintRangeProperty:
            setPrintRange(i);
            return true;
        case LeftMarginProperty:
            setMargins(i, topMargin(), rightMargin(), bottomMargin());
            return true;
        case TopMarginProperty:
            setMargins(leftMargin(), i, rightMargin(), bottomMargin());
            return true;
        case RightMarginProperty:
            setMargins(leftMargin(), topMargin(), i, bottomMargin());
            return true;
        case BottomMarginProperty:
            setMargins(leftMargin(), topMargin(), rightMargin(), i);
            return true;
        default:
            return false;
    }
}

bool Printer::isPrinting() const {
    return painter_.isActive();
}

double Printer::deviceDpiX() const {
    return dpiX_;
}
double Printer::deviceDpiY() const {
    return dpiY_;
}

QSize Printer::sheetPixels() const {
    if (receiptPrinter()) {
        return dots_.size();
    }
    return {device_->sheet().width(), device_->sheet().height()};
}

int Printer::printableWidth() const {
    if (!isPrinting()) {
        return 0;
    }
    const int w = mapping().toLogicalX(sheetPixels().width()) - leftMargin() - rightMargin();
    return std::max(0, w);
}

int Printer::receiptWidth() const {
    constexpr int kNarrow = 480;
    constexpr int kWide = 720;
    if (!isPrinting()) {
        return kNarrow;
    }
    if (receiptPrinter()) {
        return dots_.width() >= EscPosRaster::paperDots(80) ? kWide : kNarrow;
    }
    // An 80 mm roll (79.5 to 82.5 mm across) as the page: as much of the 72 mm as it prints.
    const double pageMm = device_->sheet().pageLayout().fullRect(QPageLayout::Millimeter).width();
    if (pageMm >= 79 && pageMm <= 83) {
        const int printable = qRound(device_->sheet().width() * 254.0 / dpiX_);
        return std::clamp(printable, kNarrow, kWide);
    }
    return kNarrow;
}

int Printer::printableHeight() const {
    if (!isPrinting()) {
        return 0;
    }
    const int h = mapping().toLogicalY(sheetPixels().height()) - topMargin() - bottomMargin();
    return std::max(0, h);
}

bool Printer::applyPaper(const Paper& paper, std::optional<int> orientation, int width,
                         int height) {
    std::optional<QPageSize> size;
    if (const int* code = std::get_if<int>(&paper)) {
        if (*code >= 1 && *code <= 16) {
            size = QPageSize(kPaperCodes[static_cast<size_t>(*code - 1)]);
        } else if (*code >= 1000) {
            const QPageSize::PageSizeId id = QPageSize::id(*code - 999);
            if (id != QPageSize::Custom) {
                size = QPageSize(id);
            }
        } else if (*code == -1 && width > 0 && height > 0) {
            size = QPageSize(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter, QString(),
                             QPageSize::ExactMatch);
        }
    } else if (const QString* name = std::get_if<QString>(&paper)) {
        size = pageSizeByName(*name, *device_);
    }
    if (size && size->isValid()) {
        device_->sheet().setPageSize(*size);
    }
    if (orientation) {
        device_->sheet().setPageOrientation(*orientation == 1 ? QPageLayout::Landscape
                                                              : QPageLayout::Portrait);
    }
    return true;
}

bool Printer::StartPrint(bool showDialog, bool showProgress, const Paper& paper,
                         std::optional<int> orientation, int paperWidth, int paperHeight) {
    if (isPrinting()) {
        return false;
    }
    closeProgress();
    QWidget* owner = owner_;
    const QString overrideFile = outputFileOverride();
    PrintSupport* support = PrintSupport::get();
    if (support == nullptr) {
        showMessage(printSupportMissingText(), MessageFlags::IconError);
        EventLog::write(QStringLiteral("print"), QStringLiteral("no print support module"));
        return false;
    }
    device_ = support->newDevice();
    if (!overrideFile.isEmpty()) {
        device_->setOutputFile(overrideFile);
    }
    applyPaper(paper, orientation, paperWidth, paperHeight);

    const bool showPages = minPage_ >= 0;
    PrintDialogRequest request;
    request.showPageRange = showPages;
    request.allowSelection = printRange_ >= 0;
    request.collate = collate_ == 1;
    request.minPage = minPage_;
    request.maxPage = std::max(maxPage_ == -1 ? 65535 : maxPage_, minPage_);
    device_->setCopies(std::max(1, copies_), collate_ == 1);
    if (printRange_ > 0) {
        device_->setRange(PrintRange::Selection);
    } else if (showPages && toPage_ != -1) {
        const int from = std::clamp(fromPage_, request.minPage, request.maxPage);
        const int to = std::clamp(toPage_, request.minPage, request.maxPage);
        device_->setRange(PrintRange::PageRange, from, std::max(from, to));
    }

    const bool noDefaultPrinter = mustChoosePrinter();
    if (showDialog || noDefaultPrinter) {
        if (!PrintDialogService::current().choosePrinter(device_->printer(), request, owner)) {
            device_.reset();
            return false;
        }
    }
    if (device_->toFile() && device_->outputFile().isEmpty()) {
        const QString file =
            PrintDialogService::current().chooseOutputFile(QStringLiteral("Output.pdf"), owner);
        if (file.isEmpty()) {
            device_.reset();
            return false;
        }
        device_->setOutputFile(file);
    }

    if (copies_ != -1) {
        copies_ = std::clamp(device_->copies(), 1, 65535);
    }
    if (printRange_ != -1) {
        printRange_ = device_->range() == PrintRange::Selection ? 1 : 0;
    }
    collate_ = device_->collate() ? 1 : 0;
    if (showPages) {
        const bool ranged = device_->range() == PrintRange::PageRange;
        fromPage_ = ranged ? device_->fromPage() : -1;
        toPage_ = ranged ? device_->toPage() : -1;
    }

    currentPage_ = fromPage_ > 0 ? fromPage_ : 1;
    currentCopy_ = 1;
    cancelled_ = 0;
    failure_.clear();
    drawerPulse_ = false;
    rawQueue_.clear();
    dots_ = QImage();
    if (!device_->toFile() && SystemPrinters::isRaw(device_->printerName())) {
        // A page description would print as garbage: the receipt goes as the printer's dots.
        rawQueue_ = device_->printerName();
        dots_ = EscPosRaster::blankSheet(EscPosRaster::paperDots(TillPrinter::read().paperWidthMm));
        dpiX_ = dpiY_ = EscPosRaster::kDotsPerInch;
    } else {
        dpiX_ = device_->sheet().logicalDpiX();
        dpiY_ = device_->sheet().logicalDpiY();
    }
    setWritePositionDevice({0, 0});
    const QString jobName = documentName_.isEmpty() ? defaultDocumentName() : documentName_;
    device_->setDocumentName(jobName);
    if (!device_->outputFile().isEmpty()) {
        destination_ = QFileInfo(device_->outputFile()).fileName();
    } else {
        destination_ =
            QStringLiteral("%1 上的 %2").arg(device_->printerName(), device_->printerPlace());
    }

    if (showProgress) {
        progress_ = new PrintProgressWindow(jobName, destination_, owner);
        progress_->setAttribute(Qt::WA_DeleteOnClose);
        progress_->setPage(currentPage_);
        connect(progress_, &PrintProgressWindow::abortRequested, this, &Printer::abortJob);
        progress_->show();
    }
    QPaintDevice* target =
        receiptPrinter() ? static_cast<QPaintDevice*>(&dots_) : &device_->sheet();
    if (!painter_.begin(target)) {
        EventLog::write(QStringLiteral("print"), QStringLiteral("cannot start on ") + destination_);
        closeProgress();
        device_.reset();
        return false;
    }
    ++openJobs;
    drawingObjectsChanged();
    serveProgress();  // shows the progress window before the first page is drawn
    return true;
}

void Printer::EndPrint() {
    const bool wasPrinting = painter_.isActive();
    bool sent = false;
    if (wasPrinting) {
        sent = painter_.end();
    }
    bool withdrawn = false;
    if (wasPrinting && receiptPrinter() && cancelled_ == 0) {
        // The progress window stays while the printer takes the job; 中止打印 now withdraws it.
        bool byUser = false;
        QMetaObject::Connection withdrawing;
        if (progress_ != nullptr) {
            disconnect(progress_, &PrintProgressWindow::abortRequested, this, &Printer::abortJob);
            withdrawing = connect(progress_, &PrintProgressWindow::abortRequested, this, [&byUser] {
                byUser = true;
                RawPrintJob::withdraw();
            });
        }
        sendReceipt(documentName_.isEmpty() ? defaultDocumentName() : documentName_);
        disconnect(withdrawing);
        withdrawn = failure_ == RawPrintJob::withdrawnText();
        if (byUser) {
            cancelled_ = 1;
            failure_.clear();
        }
        sent = failure_.isEmpty() && cancelled_ == 0;
    }
    closeProgress();
    if (wasPrinting) {
        EventLog::write(
            QStringLiteral("print"),
            QStringLiteral("%1 \"%2\", %3 page(s): %4%5")
                .arg(destination_, documentName_.isEmpty() ? defaultDocumentName() : documentName_)
                .arg(currentPage_)
                .arg(cancelled_ != 0 ? QStringLiteral("cancelled")
                     : withdrawn     ? QStringLiteral("withdrawn")
                     : sent          ? QStringLiteral("sent")
                                     : QStringLiteral("failed"))
                .arg(failure_.isEmpty() || withdrawn
                         ? QString()
                         : QStringLiteral(" (") + failure_ + QLatin1Char(')')));
    }
    dots_ = QImage();
    if (wasPrinting) {
        jobClosed();
    }
}

void Printer::sendReceipt(const QString& jobName) {
    QByteArray commands = EscPosRaster::initialise();
    commands += EscPosRaster::raster(dots_);
    commands += EscPosRaster::feedAndCut();
    if (drawerPulse_) {
        commands += EscPosRaster::drawerPulse();
    }
    failure_ = RawPrintJob::send(rawQueue_, jobName, commands, drawerPulse_, progress_);
}

QString Printer::openCashDrawer() {
    const QString queue = SystemPrinters::list().defaultName;
    if (queue.isEmpty() || !SystemPrinters::isRaw(queue)) {
        return noDrawerPrinterText();
    }
    return RawPrintJob::send(queue, QStringLiteral("打开钱箱"),
                             EscPosRaster::initialise() + EscPosRaster::drawerPulse(), true);
}

void Printer::discardJob() {
    if (isPrinting()) {
        device_->abort();
    }
    abortJob();
}

QString Printer::printSupportMissingText() {
    return QStringLiteral("无法载入打印支持模块 ") + PrintSupport::moduleName() +
           QStringLiteral("，不能打印。\r\n请把它放回本程序所在的文件夹。");
}

bool Printer::mustChoosePrinter() {
    if (!outputFileOverride().isEmpty()) {
        return false;
    }
    // Without print support StartPrint says so; there is nothing to choose from either way.
    const PrintSupport* support = PrintSupport::get();
    return support != nullptr && !support->hasDefaultPrinter();
}

void Printer::abortJob() {
    if (!isPrinting()) {
        return;
    }
    cancelled_ = 1;
    EndPrint();
}

void Printer::serveProgress() {
    if (progress_ != nullptr) {
        progress_->serveOwnEvents();
    }
}

void Printer::closeProgress() {
    if (progress_ != nullptr) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
}

// No events are handled while a page is drawn: a click or a timer tick could otherwise run a
// window's handler in the middle of a receipt.
QPainter* Printer::acquirePainter() {
    return painter_.isActive() ? &painter_ : nullptr;
}

std::optional<int> Printer::pageBreakHeight() {
    if (!isPrinting() || receiptPrinter()) {  // a roll has no pages
        return std::nullopt;
    }
    return mapping().toLogicalY(device_->sheet().height()) - topMargin() - bottomMargin();
}

bool Printer::startNextPage() {
    serveProgress();  // 中止打印 is taken between pages
    if (!isPrinting()) {
        return false;
    }
    if (!device_->sheet().newPage()) {
        EndPrint();
        return false;
    }
    ++currentPage_;
    if (progress_ != nullptr) {
        progress_->setPage(currentPage_);
    }
    return true;
}

}  // namespace tillora
