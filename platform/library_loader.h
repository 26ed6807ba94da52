#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace tillora {

// Loads shared libraries and finds their exports: dlopen/dlsym on Linux, LoadLibrary/
// GetProcAddress on Windows.
class LibraryLoader {
  public:
    using Module = void*;

    // Loads a library by path or by name (the system's usual search); nullptr on failure.
    static Module load(const QString& fileName);
    // The export's address, nullptr when the module does not export it. A name "#n" asks for the
    // export with ordinal n (low 16 bits); shared objects have no ordinals, so on Linux such a
    // name is never found.
    static void* resolve(Module module, const QString& exportedName);
    static void release(Module module);

    // A library found and kept loaded, and the place it was loaded from.
    struct Found {
        Module module = nullptr;
        QString place;
        explicit operator bool() const { return module != nullptr; }
    };
    enum class Search {
        // A place that loads but lacks what is needed is released and the next one tried.
        UntilBound,
        // The first place that loads is the library: what it lacks is not looked for elsewhere.
        FirstLoaded,
    };
    // Every optional library is loaded through here: the first of `places` for which
    // `bind(module)` finds what the caller needs (filling the caller's own pointers) stays
    // loaded; the others are released. An empty Found when none has it.
    static Found loadFirst(const QStringList& places, const std::function<bool(Module)>& bind,
                           Search search = Search::UntilBound);

    // A library used through a table of its functions, loaded on the first call and kept for the
    // process: `bind(module, table)` fills the table with find() and says whether all were found.
    // nullptr when the library or any of its functions is missing.
    template <class Table, class Bind>
    static const Table* functions(const QString& fileName, Bind bind) {
        static const Table* const loaded = [&]() -> const Table* {
            static Table table;
            const bool found =
                static_cast<bool>(loadFirst({fileName}, [&](Module m) { return bind(m, table); }));
            return found ? &table : nullptr;
        }();
        return loaded;
    }
    // resolve() into a typed function pointer; false when the export is missing.
    template <class F>
    static bool find(Module module, F& function, const char* exportedName) {
        function = reinterpret_cast<F>(resolve(module, QString::fromLatin1(exportedName)));
        return function != nullptr;
    }

    // The places a library is looked for, in order: a bare file name (no path separator; on
    // Windows also no drive ":") first in `programFolder`, then as given; otherwise as given.
    static QStringList candidates(const QString& fileName, const QString& programFolder);

    // How many loads were attempted in this process (lets tests see that nothing was loaded).
    static int loadAttempts();
};

}  // namespace tillora
