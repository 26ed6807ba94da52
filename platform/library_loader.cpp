#include "platform/library_loader.h"

#include <QDir>
#include <QFile>

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tillora {

namespace {
std::atomic<int> attempts{0};
}

LibraryLoader::Module LibraryLoader::load(const QString& fileName) {
    ++attempts;
    if (fileName.isEmpty()) {
        return nullptr;
    }
#ifdef _WIN32
    return reinterpret_cast<Module>(
        LoadLibraryW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(fileName).utf16())));
#else
#ifdef __SANITIZE_ADDRESS__
    // The leak check runs after the libraries are released; kept mapped, what they still hold
    // is reported under their own names, so that it can be told apart from ours.
    constexpr int kKeepMapped = RTLD_NODELETE;
#else
    constexpr int kKeepMapped = 0;
#endif
    return dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL | kKeepMapped);
#endif
}

void* LibraryLoader::resolve(Module module, const QString& exportedName) {
    if (!module || exportedName.isEmpty()) {
        return nullptr;
    }
    if (exportedName.startsWith(u'#')) {
#ifdef _WIN32
        bool ok = false;
        const qulonglong ordinal = exportedName.mid(1).toULongLong(&ok);
        if (!ok) {
            return nullptr;
        }
        return reinterpret_cast<void*>(GetProcAddress(
            static_cast<HMODULE>(module), MAKEINTRESOURCEA(static_cast<WORD>(ordinal & 0xFFFF))));
#else
        return nullptr;
#endif
    }
    const QByteArray name = exportedName.toLatin1();
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name.constData()));
#else
    return dlsym(module, name.constData());
#endif
}

void LibraryLoader::release(Module module) {
    if (!module) {
        return;
    }
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(module));
#else
    dlclose(module);
#endif
}

LibraryLoader::Found LibraryLoader::loadFirst(const QStringList& places,
                                              const std::function<bool(Module)>& bind,
                                              Search search) {
    for (const QString& place : places) {
        const Module module = load(place);
        if (module == nullptr) {
            continue;
        }
        if (bind(module)) {
            return {module, place};
        }
        release(module);
        if (search == Search::FirstLoaded) {
            break;
        }
    }
    return {};
}

QStringList LibraryLoader::candidates(const QString& fileName, const QString& programFolder) {
#ifdef _WIN32
    const bool bare =
        !fileName.contains(u':') && !fileName.contains(u'\\') && !fileName.contains(u'/');
#else
    const bool bare = !fileName.contains(u'/');
#endif
    QStringList list;
    if (bare && !programFolder.isEmpty()) {
        list << QDir(programFolder).filePath(fileName);
    }
    list << fileName;
    return list;
}

int LibraryLoader::loadAttempts() {
    return attempts.load();
}

}  // namespace tillora
