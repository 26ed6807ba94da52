#pragma once

class QApplication;

namespace tillora {

class HandlerRegistry;
class SalesModule;
class SettingsModule;

// Every window logic of the program registers its handlers: the login, the sales windows, the
// settings window and the receipt printing. The printer and draw panel become real components at
// the same time.
void registerWindowLogic(HandlerRegistry& handlers, SalesModule& sales, SettingsModule& settings);

// The program from process start to its end, as main runs it; gives the exit code.
int runProgram(QApplication& application);

// The process started by the crash handler: it shows the crash message and ends.
int showCrashMessage(QApplication& application);

}  // namespace tillora
