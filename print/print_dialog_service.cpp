#include "print/print_dialog_service.h"

#include "print/print_support.h"

namespace tillora {

namespace {

// Stands in when the print support can't be loaded: nothing is chosen.
class NoPrintDialogService final : public PrintDialogService {
  public:
    bool choosePrinter(QPrinter&, const PrintDialogRequest&, QWidget*) override { return false; }
    QString chooseOutputFile(const QString&, QWidget*) override { return {}; }
};

PrintDialogService* installed = nullptr;

}  // namespace

PrintDialogService& PrintDialogService::current() {
    if (installed != nullptr) {
        return *installed;
    }
    if (PrintSupport* support = PrintSupport::get()) {
        return support->dialogs();
    }
    static NoPrintDialogService none;
    return none;
}

PrintDialogService* PrintDialogService::install(PrintDialogService* service) {
    PrintDialogService* previous = installed;
    installed = service;
    return previous;
}

}  // namespace tillora
