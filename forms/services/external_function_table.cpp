#include "forms/services/external_function_table.h"

#include "values/runtime_error.h"

namespace tillora {

QStringList ExternalFunctionTable::defaultSystemLibraries() {
#ifdef _WIN32
    return {QStringLiteral("Kernel32.dll"), QStringLiteral("Gdi32.dll"),
            QStringLiteral("User32.dll"),   QStringLiteral("Advapi32.dll"),
            QStringLiteral("Mpr.dll"),      QStringLiteral("Shell32.dll")};
#else
    // The C library, the maths library and the print system: where the functions the program
    // would take from the Windows system libraries live on Linux.
    return {QStringLiteral("libc.so.6"), QStringLiteral("libm.so.6"),
            QStringLiteral("libcups.so.2")};
#endif
}

ExternalFunctionTable::ExternalFunctionTable() : systemLibraries_(defaultSystemLibraries()) {}

ExternalFunctionTable::~ExternalFunctionTable() {
    releaseAll();
}

int ExternalFunctionTable::declare(const QString& library, const QString& exportedName) {
    entries_.push_back({library, exportedName, nullptr, nullptr});
    return size() - 1;
}

void* ExternalFunctionTable::resolve(int index) {
    ExternalFunction& e = entries_.at(index);
    if (e.address) {
        return e.address;
    }
    void* address = nullptr;
    const auto bind = [&](LibraryLoader::Module module) {
        address = LibraryLoader::resolve(module, e.exportedName);
        return address != nullptr;
    };
    // Without a library name, the first system library that exports the name; with one, the
    // first place that has the library, whether or not the function is in it.
    const LibraryLoader::Found found =
        e.library.isEmpty()
            ? LibraryLoader::loadFirst(systemLibraries_, bind)
            : LibraryLoader::loadFirst(LibraryLoader::candidates(e.library, programFolder_), bind,
                                       LibraryLoader::Search::FirstLoaded);
    if (!found) {
        reportRuntimeError(0, e.library.isEmpty() ? bindingErrorNoLibraryText(e.exportedName)
                                                  : bindingErrorText(e.library, e.exportedName));
    }
    e.address = address;
    e.module = found.module;
    return address;
}

void ExternalFunctionTable::releaseAll() {
    for (ExternalFunction& e : entries_) {
        LibraryLoader::release(e.module);
        e.module = nullptr;
        e.address = nullptr;
    }
}

ExternalFunctionTable& programFunctions() {
    static ExternalFunctionTable table;
    static const bool declared = [] {
        const QString cups = QStringLiteral("libcups.so.2");
        table.declare(cups, QStringLiteral("cupsGetDests"));
        table.declare(cups, QStringLiteral("cupsFreeDests"));
        table.declare(cups, QStringLiteral("cupsSetDests"));
        table.declare(cups, QStringLiteral("cupsGetDefault"));
        table.declare(cups, QStringLiteral("cupsGetDest"));
        table.declare(cups, QStringLiteral("cupsLastError"));
        for (const char* name :
             {"cupsCreateJob", "cupsStartDocument", "cupsWriteRequestData", "cupsFinishDocument",
              "cupsCancelJob", "cupsGetJobs", "cupsFreeJobs", "cupsLastErrorString"}) {
            table.declare(cups, QString::fromLatin1(name));
        }
        return true;
    }();
    Q_UNUSED(declared);
    return table;
}

}  // namespace tillora
