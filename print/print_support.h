#pragma once

// Qt's print support, behind interfaces: it lives in a module of its own that is loaded on the
// first print, so that the program's start neither loads nor binds it. Nothing here names a
// print support type beyond forward declarations, and every class is defined in this header
// alone, so that the module needs nothing of the program to load.
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QPageSize;
class QPagedPaintDevice;
class QPrinter;

namespace tillora {

class PrintDialogService;

enum class PrintRange { All, Selection, PageRange };

// One print job's sheet (a high-resolution printer) and its settings.
class PrintDevice {
  public:
    virtual ~PrintDevice() = default;

    // The printer itself, for the print dialog.
    virtual QPrinter& printer() = 0;
    // What is drawn on, page size and orientation included.
    virtual QPagedPaintDevice& sheet() = 0;

    // Sends the job to this PDF file instead of a printer.
    virtual void setOutputFile(const QString& path) = 0;
    // True when the job goes to a PDF file, chosen or not yet chosen.
    virtual bool toFile() const = 0;
    virtual QString outputFile() const = 0;

    virtual void setCopies(int copies, bool collate) = 0;
    virtual int copies() const = 0;
    virtual bool collate() const = 0;
    virtual void setRange(PrintRange range, int from = 0, int to = 0) = 0;
    virtual PrintRange range() const = 0;
    virtual int fromPage() const = 0;
    virtual int toPage() const = 0;

    virtual void setDocumentName(const QString& name) = 0;
    virtual QString printerName() const = 0;
    // Where the printer is, as the print system says; its name when it says nothing.
    virtual QString printerPlace() const = 0;
    virtual QList<QPageSize> supportedPageSizes() const = 0;
    // Drops the job: nothing of it is printed.
    virtual void abort() = 0;
};

class PrintSupport {
  public:
    virtual ~PrintSupport() = default;

    virtual std::unique_ptr<PrintDevice> newDevice() = 0;
    virtual bool hasDefaultPrinter() const = 0;
    // Qt's print dialog and file question.
    virtual PrintDialogService& dialogs() = 0;

    // Loads the module on the first call; nullptr when it can't be loaded.
    static PrintSupport* get();
    // The module from the first of `places` that holds it; nullptr when none does.
    static PrintSupport* loadFrom(const QStringList& places);
    // Where get() looks for a program in `programFolder`: beside it (the build folder), then the
    // package's library folder relative to it. Never a path fixed at build time: the installed
    // program would load whatever was put there.
    static QStringList places(const QString& programFolder);
    // Test and benchmark programs run from folders of their own and name the build's module
    // here, before the first print; it is looked for after places().
    static void setBuildModule(const QString& path);
    // The file the module was loaded from; empty when none was.
    static QString loadedFrom();
    // The module's file name, for messages.
    static QString moduleName();
};

}  // namespace tillora

// The one export of the module.
extern "C" tillora::PrintSupport* tilloraPrintSupport();
