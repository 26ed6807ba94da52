#pragma once

#include <gtest/gtest.h>

namespace tillora {
class HandlerRegistry;
struct TemplateSet;
}  // namespace tillora

namespace tillora::test {

// The program's own window templates, read as the program reads them at start-up; a failure
// carries the reader's message.
::testing::AssertionResult readProgramTemplates(TemplateSet& set);

// A handler that does nothing under every name the program's templates call, for windows built
// without their program logic.
void addDoNothingHandlers(HandlerRegistry& handlers);

}  // namespace tillora::test
