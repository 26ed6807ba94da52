#include "data/libpq_library.h"

#include "platform/library_loader.h"

namespace tillora {

const char* libpqFileName() {
    return "libpq.so.5";
}

const Libpq* libpq() {
    static const Libpq* const loaded = []() -> const Libpq* {
        const LibraryLoader::Module handle =
            LibraryLoader::load(QString::fromLatin1(libpqFileName()));
        if (handle == nullptr) {
            return nullptr;
        }
        static Libpq library;
        bool all = true;
#define TILLORA_LIBPQ_FIND(name) all = LibraryLoader::find(handle, library.name, #name) && all;
        TILLORA_LIBPQ_FUNCTIONS(TILLORA_LIBPQ_FIND)
#undef TILLORA_LIBPQ_FIND
        return all ? &library : nullptr;
    }();
    return loaded;
}

}  // namespace tillora
