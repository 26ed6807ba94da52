#include "print/print_support.h"

#include "platform/library_loader.h"
#include "platform/program_folder.h"

namespace tillora {

QString PrintSupport::moduleName() {
    return QStringLiteral("libtillora_print_support.so");
}

PrintSupport* PrintSupport::loadFrom(const QStringList& places) {
    for (const QString& place : places) {
        if (const LibraryLoader::Module module = LibraryLoader::load(place)) {
            decltype(&tilloraPrintSupport) entry = nullptr;
            if (LibraryLoader::find(module, entry, "tilloraPrintSupport")) {
                return entry();
            }
            LibraryLoader::release(module);
        }
    }
    return nullptr;
}

PrintSupport* PrintSupport::get() {
    // Beside the program first; then where the build put it, for the tests and benchmarks that
    // run from folders of their own.
    static PrintSupport* const support = [] {
        QStringList places =
            LibraryLoader::candidates(moduleName(), ProgramFolder::current().folder);
#ifdef TILLORA_PRINT_SUPPORT_MODULE
        places.append(QStringLiteral(TILLORA_PRINT_SUPPORT_MODULE));
#endif
        return loadFrom(places);
    }();
    return support;
}

}  // namespace tillora
