#pragma once

#include <QPrinter>
#include <QString>
#include <functional>

#include "print/print_dialog_service.h"

namespace tillora::test {

// Installs itself as the print dialog for its lifetime. Records how often it was asked and with
// what, answers as scripted (accept by default), and may change the printer like a user would.
class ScriptedPrintDialog : public PrintDialogService {
  public:
    ScriptedPrintDialog() : previous_(PrintDialogService::install(this)) {}
    ~ScriptedPrintDialog() override { PrintDialogService::install(previous_); }

    bool choosePrinter(QPrinter& printer, const PrintDialogRequest& request, QWidget*) override {
        ++dialogs;
        lastRequest = request;
        copiesShown = printer.copyCount();
        if (userChoice) {
            userChoice(printer);
        }
        return accept;
    }
    QString chooseOutputFile(const QString&, QWidget*) override {
        ++fileQuestions;
        return outputFile;
    }

    bool accept = true;
    std::function<void(QPrinter&)> userChoice;
    QString outputFile;
    int dialogs = 0;
    int fileQuestions = 0;
    int copiesShown = 0;
    PrintDialogRequest lastRequest;

  private:
    PrintDialogService* previous_;
};

}  // namespace tillora::test
