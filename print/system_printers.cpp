#include "print/system_printers.h"

#include "forms/services/external_function_table.h"

namespace tillora {

namespace {

// The print system's destination records, laid out as its client library hands them out.
struct CupsOption {
    char* name;
    char* value;
};
struct CupsDest {
    char* name;
    char* instance;
    int isDefault;
    int optionCount;
    CupsOption* options;
};

// Status codes below this are successes; "not found" is what an empty print system answers.
constexpr int kFirstErrorStatus = 0x0400;
constexpr int kNotFoundStatus = 0x0406;

// The destinations, freed when the holder goes.
class Destinations {
  public:
    Destinations() {
        count_ = programFunctions().call<int(CupsDest**)>(ProgramFunction::CupsGetDests, &dests_);
        if (count_ <= 0) {
            const int status = programFunctions().call<int()>(ProgramFunction::CupsLastError);
            answered_ = status < kFirstErrorStatus || status == kNotFoundStatus;
        }
    }
    ~Destinations() {
        if (dests_ != nullptr) {
            programFunctions().call<void(int, CupsDest*)>(ProgramFunction::CupsFreeDests, count_,
                                                          dests_);
        }
    }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    bool answered() const { return answered_; }
    int count() const { return count_ > 0 ? count_ : 0; }
    CupsDest& at(int i) { return dests_[i]; }
    // Instances are option sets of a printer, not printers of their own.
    bool isPrinter(int i) const {
        return dests_[i].name != nullptr && dests_[i].instance == nullptr;
    }
    QString name(int i) const { return QString::fromUtf8(dests_[i].name); }
    CupsDest* data() { return dests_; }

  private:
    CupsDest* dests_ = nullptr;
    int count_ = 0;
    bool answered_ = true;
};

}  // namespace

PrinterListing SystemPrinters::list() {
    PrinterListing listing;
    Destinations dests;
    listing.ok = dests.answered();
    for (int i = 0; i < dests.count(); ++i) {
        if (!dests.isPrinter(i)) {
            continue;
        }
        listing.names.append(dests.name(i));
        if (dests.at(i).isDefault != 0) {
            listing.defaultName = dests.name(i);
        }
    }
    return listing;
}

bool SystemPrinters::setDefault(const QString& name) {
    {
        Destinations dests;
        int chosen = -1;
        for (int i = 0; i < dests.count(); ++i) {
            if (dests.isPrinter(i) && dests.name(i) == name) {
                chosen = i;
            }
        }
        if (chosen < 0) {
            return false;
        }
        for (int i = 0; i < dests.count(); ++i) {
            dests.at(i).isDefault = i == chosen ? 1 : 0;
        }
        programFunctions().call<void(int, CupsDest*)>(ProgramFunction::CupsSetDests, dests.count(),
                                                      dests.data());
    }
    // The writer says nothing of a failure (an options file it can't write): ask again.
    return list().defaultName == name;
}

QString SystemPrinters::option(const QString& name, const QString& key) {
    Destinations dests;
    const QByteArray wanted = key.toUtf8();
    for (int i = 0; i < dests.count(); ++i) {
        if (!dests.isPrinter(i) || dests.name(i) != name) {
            continue;
        }
        const CupsDest& dest = dests.at(i);
        for (int o = 0; o < dest.optionCount; ++o) {
            if (dest.options[o].name != nullptr && wanted == dest.options[o].name) {
                return QString::fromUtf8(dest.options[o].value);
            }
        }
    }
    return {};
}

bool SystemPrinters::isRaw(const QString& name) {
    // What the print system calls a queue that was given no driver.
    return option(name, QStringLiteral("printer-make-and-model")) ==
           QLatin1String("Local Raw Printer");
}

}  // namespace tillora
