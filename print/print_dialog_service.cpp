#include "print/print_dialog_service.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace tillora {

namespace {

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

QtPrintDialogService& qtService() {
    static QtPrintDialogService service;
    return service;
}

PrintDialogService* installed = nullptr;

}  // namespace

PrintDialogService::~PrintDialogService() = default;

PrintDialogService& PrintDialogService::current() {
    return installed != nullptr ? *installed : qtService();
}

PrintDialogService* PrintDialogService::install(PrintDialogService* service) {
    PrintDialogService* previous = installed;
    installed = service;
    return previous;
}

}  // namespace tillora
