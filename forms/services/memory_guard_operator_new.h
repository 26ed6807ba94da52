#pragma once

// The program's replacement of the global operator new and delete: the same as the library's,
// except that a failed allocation notes its size before the new_handler runs, so that the memory
// guard can name it. Include this header in exactly ONE source file of the executable (main.cpp);
// libraries and tests keep the standard allocator.

#include <cstdlib>
#include <new>

#include "forms/services/memory_guard.h"

namespace tillora::memory_guard_detail {

// The library's loop: try, note a failure, let the new_handler free memory, try again.
template <class Allocate>
void* allocateOrRetry(std::size_t size, Allocate allocate) {
    for (;;) {
        if (void* p = allocate(size)) {
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

}  // namespace tillora::memory_guard_detail

void* operator new(std::size_t size) {
    return tillora::memory_guard_detail::allocateOrRetry(size == 0 ? 1 : size, std::malloc);
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

// Every other form goes through the same allocator, so that no memory taken by one family is
// released by another (the sanitizers check that).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return ::operator new(size, std::nothrow);
}

void* operator new(std::size_t size, std::align_val_t align) {
    const std::size_t alignment = static_cast<std::size_t>(align);
    // aligned_alloc wants a multiple of the alignment.
    const std::size_t rounded = ((size == 0 ? 1 : size) + alignment - 1) / alignment * alignment;
    return tillora::memory_guard_detail::allocateOrRetry(
        rounded, [alignment](std::size_t n) { return std::aligned_alloc(alignment, n); });
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return ::operator new(size, align);
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size, align);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return ::operator new(size, align, std::nothrow);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
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
