#include "data/libpq_library.h"

#include <dlfcn.h>

namespace tillora {

namespace {

template <class F>
bool find(void* library, F& function, const char* name) {
    function = reinterpret_cast<F>(::dlsym(library, name));
    return function != nullptr;
}

}  // namespace

const char* libpqFileName() {
    return "libpq.so.5";
}

const Libpq* libpq() {
    static const Libpq* const loaded = []() -> const Libpq* {
        void* handle = ::dlopen(libpqFileName(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            return nullptr;
        }
        static Libpq library;
        bool all = true;
#define TILLORA_LIBPQ_FIND(name) all = find(handle, library.name, #name) && all;
        TILLORA_LIBPQ_FUNCTIONS(TILLORA_LIBPQ_FIND)
#undef TILLORA_LIBPQ_FIND
        return all ? &library : nullptr;
    }();
    return loaded;
}

}  // namespace tillora
