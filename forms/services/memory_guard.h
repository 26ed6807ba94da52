#pragma once

#include <QtGlobal>

#include <cstddef>
#include <new>

namespace tillora {

// Memory exhaustion is fatal: the runtime error box "分配 %d 字节内存失败!" with the byte count,
// then the process ends with -1.
//
// A new_handler is not told the size that failed. The program's replacement operator new
// (forms/services/memory_guard_operator_new.h, compiled into the executable only) notes it with
// noteFailedAllocation() before it calls the handler; without it the handler reports the last size
// noted, 0 when none was.

// Installs the handler and sets a small reserve aside, freed when the handler runs so that the
// box itself can still be built.
void installMemoryGuard();
// The handler installMemoryGuard() installs.
void memoryGuardHandler();
// Records the size of an allocation that just failed (per thread).
void noteFailedAllocation(std::size_t bytes);
// For allocation paths that know their size and report directly.
[[noreturn]] void reportAllocationFailure(quint64 bytes);

}  // namespace tillora
