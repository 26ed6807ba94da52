#include "data/libpq_library.h"

#include "platform/library_loader.h"

namespace tillora {

const char* libpqFileName() {
    return "libpq.so.5";
}

const Libpq* libpq() {
    return LibraryLoader::functions<Libpq>(QString::fromLatin1(libpqFileName()),
                                           [](LibraryLoader::Module module, Libpq& library) {
                                               bool all = true;
#define TILLORA_LIBPQ_FIND(name) all = LibraryLoader::find(module, library.name, #name) && all;
                                               TILLORA_LIBPQ_FUNCTIONS(TILLORA_LIBPQ_FIND)
#undef TILLORA_LIBPQ_FIND
                                               return all;
                                           });
}

}  // namespace tillora
