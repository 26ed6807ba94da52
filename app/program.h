#pragma once

class QApplication;

namespace tillora {

class HandlerRegistry;
class RecordsModule;
class SalesModule;
class SettingsModule;

// Every window logic of the program registers its handlers: the login, the sales windows, the
// receipt printing, the sales records, the settings window, the printer choice and the logo. The
// printer and draw panel become real components at the same time.
void registerWindowLogic(HandlerRegistry& handlers, SalesModule& sales, RecordsModule& records,
                         SettingsModule& settings);

// The program from process start to its end, as main runs it; gives the exit code.
int runProgram(QApplication& application);

// "--where": prints the data folder in use, made when missing; the exit code.
int printDataFolder();

// Loads the print module and prints the file it came from; the exit code (1 when it can't).
int checkPrintModule();

// The process started by the crash handler: it shows the crash message and ends.
int showCrashMessage(QApplication& application);

}  // namespace tillora
