#pragma once

#include <QString>
#include <QStringList>

#include <bit>
#include <utility>
#include <vector>

#include "platform/library_loader.h"

namespace tillora {

// One declared external function: where it lives, and once used, where it was found.
struct ExternalFunction {
    QString library;       // library file name; empty: searched in the system libraries
    QString exportedName;  // "#n" names an export by ordinal (Windows only)
    void* address = nullptr;
    LibraryLoader::Module module = nullptr;
};

// Functions of system libraries that the program calls like its own, bound by library and name on
// their first call. A function that cannot be found is a fatal runtime error.
class ExternalFunctionTable {
  public:
    // The libraries searched, in order, for functions declared without a library name.
    static QStringList defaultSystemLibraries();

    ExternalFunctionTable();
    ~ExternalFunctionTable();
    ExternalFunctionTable(const ExternalFunctionTable&) = delete;
    ExternalFunctionTable& operator=(const ExternalFunctionTable&) = delete;

    // Adds a function and returns its index.
    int declare(const QString& library, const QString& exportedName);
    int size() const { return static_cast<int>(entries_.size()); }
    const ExternalFunction& entry(int index) const { return entries_.at(index); }

    // Bare library names are tried in this folder first (the shell sets the program's folder).
    void setProgramFolder(const QString& folder) { programFolder_ = folder; }
    void setSystemLibraries(const QStringList& libraries) { systemLibraries_ = libraries; }

    // The function's address, bound on first use; reports the runtime error when not found.
    void* resolve(int index);

    // The function as a typed pointer: table.function<size_t(const char*)>(i)("abc").
    template <typename Signature>
    Signature* function(int index) {
        return std::bit_cast<Signature*>(resolve(index));
    }
    template <typename Signature, typename... Args>
    decltype(auto) call(int index, Args&&... args) {
        return function<Signature>(index)(std::forward<Args>(args)...);
    }

    // Releases every module kept by the entries; they bind again on their next call.
    void releaseAll();

  private:
    std::vector<ExternalFunction> entries_;
    QString programFolder_;
    QStringList systemLibraries_;
};

// The external functions this program declares, as indexes into programFunctions().
// On Linux the printer choice reaches the print system through CUPS (libcups.so.2):
//   cupsGetDests(cups_dest_t**) -> int, cupsFreeDests(int, cups_dest_t*),
//   cupsSetDests(int, cups_dest_t*) (writes the user's default), cupsGetDefault() -> const char*,
//   cupsGetDest(const char* name, const char* instance, int, cups_dest_t*) -> cups_dest_t*,
//   cupsLastError() -> ipp_status_t (an int): tells "no printers" from "no scheduler".
// Receipt printers get their jobs raw, through the same library:
//   cupsCreateJob(http_t*, name, title, int, cups_option_t*) -> int job id (0: refused),
//   cupsStartDocument(http_t*, name, int job, docname, format, int last) -> http_status_t,
//   cupsWriteRequestData(http_t*, const char*, size_t) -> http_status_t,
//   cupsFinishDocument(http_t*, name) -> ipp_status_t, cupsCancelJob(name, int job) -> int,
//   cupsGetJobs(cups_job_t**, name, int mine, int which) -> int, cupsFreeJobs(int, cups_job_t*),
//   cupsLastErrorString() -> const char*.
struct ProgramFunction {
    enum : int {
        CupsGetDests = 0,
        CupsFreeDests,
        CupsSetDests,
        CupsGetDefault,
        CupsGetDest,
        CupsLastError,
        CupsCreateJob,
        CupsStartDocument,
        CupsWriteRequestData,
        CupsFinishDocument,
        CupsCancelJob,
        CupsGetJobs,
        CupsFreeJobs,
        CupsLastErrorString,
        Count,
    };
};

// The program's table (declared in ProgramFunction order); released by the shell at shutdown.
ExternalFunctionTable& programFunctions();

}  // namespace tillora
