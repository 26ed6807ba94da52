#pragma once

#include "values/runtime_error.h"

namespace tillora {

// The runtime error box: the error text with caption "错误", OK and the error icon, no owner,
// shown through the message service (so that tests script it like any other box).
class RuntimeErrorBox : public RuntimeErrorSink {
  public:
    void show(int code, const QString& text) override;
};

// Makes the box the process's runtime error sink. The program and the test runner call it at
// start; the lower layers only know the sink.
void installRuntimeErrorBox();

}  // namespace tillora
