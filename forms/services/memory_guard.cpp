#include "forms/services/memory_guard.h"

#include <memory>

#include "values/runtime_error.h"

namespace tillora {

namespace {

constexpr std::size_t kReserveBytes = 256 * 1024;

thread_local std::size_t failedBytes = 0;

std::unique_ptr<char[]>& reserve() {
    static std::unique_ptr<char[]> block;
    return block;
}

}  // namespace

void noteFailedAllocation(std::size_t bytes) {
    failedBytes = bytes;
}

void reportAllocationFailure(quint64 bytes) {
    reserve().reset();
    reportRuntimeError(0, allocationFailedText(bytes));
}

void memoryGuardHandler() {
    reportAllocationFailure(failedBytes);
}

void installMemoryGuard() {
    if (!reserve()) {
        reserve().reset(new char[kReserveBytes]);
    }
    std::set_new_handler(&memoryGuardHandler);
}

}  // namespace tillora
