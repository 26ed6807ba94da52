#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QApplication;
class QThread;

namespace tillora {

class ProgramHolder;

// The frame every window runs in: the program folder, the hidden holder with the shared
// database, the message loop with its last-window rule, and the ordered shutdown.
class Shell {
  public:
    // Records the calling thread as the UI thread and creates the holder. The application
    // object must outlive the shell.
    explicit Shell(QApplication& application);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // The shell of this run; nullptr when none exists.
    static Shell* instance();

    ProgramHolder& holder() { return *holder_; }
    const QString& programFolder() const { return programFolder_; }

    // Makes folder the program folder and the current directory; false when it can't be entered
    // (the folder is still remembered, so absolute paths built from it keep working).
    bool setProgramFolder(const QString& folder);

    // SIGTERM, SIGINT and SIGHUP (the system shutting down, Ctrl+C, the terminal closed) end the
    // program as 退出 does: windows closed, the exit list run, the stop logged, exit code 0; a
    // print job that is open is waited for (endAfterPrinting).
    void endOnTerminationSignals();

    // Ends as end() does, but a print job that is open waits: the end comes once it settled, or,
    // when it is still being sent after the print wait time, once it was withdrawn.
    void endAfterPrinting(int exitCode);
    void setPrintWaitTime(int milliseconds);

    // Callbacks run once during shutdown, in registration order.
    void addExitCallback(std::function<void()> callback);

    // Runs the message loop; it ends with exit code 0 once the last program window or the main
    // window closed (the holder is no window and never counts).
    int run();
    bool loopEntered() const { return loopEntered_; }

    // Shutdown without ending the process: every window destroyed, the exit list run, external
    // modules released, the holder and its database closed. Runs once; later calls do nothing.
    void shutdown();

    // Ends the program with exitCode after the shutdown. Called on another thread, the request
    // is carried to the UI thread and the call returns there.
    void requestEnd(int exitCode);
    [[noreturn]] void end(int exitCode);

  private:
    QApplication& application_;
    std::unique_ptr<ProgramHolder> holder_;
    std::vector<std::function<void()>> exitList_;
    QString programFolder_;
    QThread* uiThread_ = nullptr;
    bool loopEntered_ = false;
    bool shutDown_ = false;
    int printWaitMs_ = 3000;
};

}  // namespace tillora
