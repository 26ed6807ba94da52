#pragma once

class QApplication;

namespace tillora {

// The program from process start to its end, as main runs it; gives the exit code.
int runProgram(QApplication& application);

// The process started by the crash handler: it shows the crash message and ends.
int showCrashMessage(QApplication& application);

}  // namespace tillora
