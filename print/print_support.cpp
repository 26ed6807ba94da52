#include "print/print_support.h"

#include "platform/data_folder.h"
#include "platform/library_loader.h"
#include "platform/program_folder.h"

namespace tillora {

QString PrintSupport::moduleName() {
    return QStringLiteral("libtillora_print_support.so");
}

namespace {

QString& buildModule() {
    static QString path;
    return path;
}

QString& loadedPath() {
    static QString path;
    return path;
}

}  // namespace

PrintSupport* PrintSupport::loadFrom(const QStringList& places) {
    decltype(&tilloraPrintSupport) entry = nullptr;
    const LibraryLoader::Found found =
        LibraryLoader::loadFirst(places, [&](LibraryLoader::Module m) {
            return LibraryLoader::find(m, entry, "tilloraPrintSupport");
        });
    if (!found) {
        return nullptr;
    }
    loadedPath() = found.place;
    return entry();
}

QStringList PrintSupport::places(const QString& programFolder) {
    return {ProgramFolder::filePath(programFolder, moduleName()),
            ProgramFolder::filePath(DataFolder::libraryFolder(programFolder), moduleName())};
}

void PrintSupport::setBuildModule(const QString& path) {
    buildModule() = path;
}

QString PrintSupport::loadedFrom() {
    return loadedPath();
}

PrintSupport* PrintSupport::get() {
    static PrintSupport* const support = [] {
        QStringList candidates = places(ProgramFolder::current().folder);
        if (!buildModule().isEmpty()) {
            candidates.append(buildModule());
        }
        return loadFrom(candidates);
    }();
    return support;
}

}  // namespace tillora
