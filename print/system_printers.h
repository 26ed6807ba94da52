#pragma once

#include <QString>
#include <QStringList>

namespace tillora {

// The printers of the print system, as one listing.
struct PrinterListing {
    bool ok = false;      // false: the print system could not be asked (no scheduler answers)
    QStringList names;    // in the order the print system gives them
    QString defaultName;  // the current default destination; empty when there is none
};

// The print system's printers and the user's default destination, reached through the program's
// external functions (the print system's client library, bound on first use). Every print job
// goes to the default destination, so choosing a printer means changing that default.
class SystemPrinters {
  public:
    static PrinterListing list();
    // Makes `name` the default destination the way "lpoptions -d" does: in the user's own
    // options file, or, for root, in the print system's options file for every user. False when
    // `name` is not a printer of the list or the default did not change to it.
    static bool setDefault(const QString& name);
    // One attribute of printer `name` as the print system lists it ("printer-state-reasons");
    // empty when there is no such printer or attribute.
    static QString option(const QString& name, const QString& key);
    // True for a queue without a driver: its jobs reach the printer unchanged, so it gets printer
    // commands (a receipt printer) and never a page description.
    static bool isRaw(const QString& name);
};

}  // namespace tillora
