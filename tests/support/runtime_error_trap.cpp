#include "tests/support/runtime_error_trap.h"

namespace tillora::test {

RuntimeErrorTrap::RuntimeErrorTrap()
    : previous_(setRuntimeErrorExit([](int code) { throw ProcessEnded{code}; })) {}

RuntimeErrorTrap::~RuntimeErrorTrap() {
    setRuntimeErrorExit(std::move(previous_));
}

}  // namespace tillora::test
