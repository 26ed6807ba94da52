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
    for (const QString& place : places) {
        if (const LibraryLoader::Module module = LibraryLoader::load(place)) {
            decltype(&tilloraPrintSupport) entry = nullptr;
            if (LibraryLoader::find(module, entry, "tilloraPrintSupport")) {
                loadedPath() = place;
                return entry();
            }
            LibraryLoader::release(module);
        }
    }
    return nullptr;
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
