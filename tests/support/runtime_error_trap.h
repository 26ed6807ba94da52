#pragma once

#include "values/runtime_error.h"

namespace tillora::test {

// Thrown instead of ending the process while a RuntimeErrorTrap is alive.
struct ProcessEnded {
    int exitCode = 0;
};

// Lets a test watch a fatal runtime error: the box goes to the installed message service as usual,
// and the end of the process becomes a ProcessEnded exception. Use with a ScriptedMessageService:
//   ScriptedMessageService boxes; RuntimeErrorTrap trap;
//   EXPECT_THROW(doSomethingFatal(), ProcessEnded);
class RuntimeErrorTrap {
  public:
    RuntimeErrorTrap();
    ~RuntimeErrorTrap();
    RuntimeErrorTrap(const RuntimeErrorTrap&) = delete;
    RuntimeErrorTrap& operator=(const RuntimeErrorTrap&) = delete;

  private:
    RuntimeErrorExit previous_;
};

}  // namespace tillora::test
