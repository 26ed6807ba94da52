#pragma once

// The program's replacement of the global operator new and delete: the same as the library's,
// except that a failed allocation notes its size before the new_handler runs, so that the memory
// guard can name it. Include this header in exactly ONE source file of the executable (main.cpp);
// libraries and tests keep the standard allocator.

#include <cstdlib>
#include <new>

#include "forms/memory_guard.h"

void* operator new(std::size_t size) {
    if (size == 0) {
        size = 1;
    }
    for (;;) {
        if (void* p = std::malloc(size)) {
            return p;
        }
        tillora::noteFailedAllocation(size);
        const std::new_handler handler = std::get_new_handler();
        if (!handler) {
            throw std::bad_alloc();
        }
        handler();
    }
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
