#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace tillora {

// How the print dialog is to be set up.
struct PrintDialogRequest {
    bool showPageRange = false;  // page numbers offered
    int minPage = 1;
    int maxPage = 65535;
    bool allowSelection = false;
    bool collate = false;
};

// The print dialog and the print-to-file question, behind a seam so that tests never block
// and can script the user's choices.
class PrintDialogService {
  public:
    // Defined here: the print support module derives from this class and must need nothing of
    // the program.
    virtual ~PrintDialogService() = default;
    // Shows the print dialog on `printer` (copies, collate and page range already set in it);
    // the user's choices are left in the printer. False when cancelled.
    virtual bool choosePrinter(QPrinter& printer, const PrintDialogRequest& request,
                               QWidget* owner) = 0;
    // Asks where a print to file goes; an empty result means cancelled.
    virtual QString chooseOutputFile(const QString& defaultName, QWidget* owner) = 0;

    // The installed service (Qt's dialogs unless one is installed; a service that refuses when
    // the print support can't be loaded).
    static PrintDialogService& current();
    // Installs `service` (not owned); null restores Qt's dialogs. Returns the previous one.
    static PrintDialogService* install(PrintDialogService* service);
};

}  // namespace tillora
