#include "app/shell.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

#include "app/program_holder.h"
#include "forms/form_manager.h"
#include "forms/services/external_function_table.h"
#include "platform/event_log.h"
#include "platform/program_folder.h"
#include "print/printer.h"
#include "print/raw_print_job.h"

namespace tillora {

namespace {
Shell* currentShell = nullptr;

// The signal handler only writes the signal's number here; the loop reads it.
int signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber) {
    const int saved = errno;
    const auto byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}
}  // namespace

Shell::Shell(QApplication& application)
    : application_(application),
      holder_(std::make_unique<ProgramHolder>()),
      uiThread_(QThread::currentThread()) {
    currentShell = this;
    // The holder is a plain object, not a window: only real windows keep the program alive.
    QApplication::setQuitOnLastWindowClosed(true);
    QObject::connect(holder_.get(), &ProgramHolder::endRequested, holder_.get(),
                     [this](int exitCode) { end(exitCode); });
}

Shell::~Shell() {
    shutdown();
    if (currentShell == this) {
        currentShell = nullptr;
    }
}

Shell* Shell::instance() {
    return currentShell;
}

bool Shell::setProgramFolder(const QString& folder) {
    programFolder_ = folder;
    return ProgramFolder::enter(folder);
}

void Shell::endOnTerminationSignals() {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    // Owned by the holder: once the shutdown has begun, a further signal changes nothing.
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, holder_.get());
    QObject::connect(notifier, &QSocketNotifier::activated, holder_.get(), [this] {
        char received = 0;
        while (::read(signalPipe[0], &received, 1) == 1) {
        }
        EventLog::write(QStringLiteral("signal"),
                        QStringLiteral("%1, ending as 退出").arg(int(received)));
        endAfterPrinting(0);
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signalNumber, &action, nullptr);
    }
}

void Shell::setPrintWaitTime(int milliseconds) {
    printWaitMs_ = milliseconds;
}

void Shell::endAfterPrinting(int exitCode) {
    if (Printer::jobsOpen() == 0) {
        end(exitCode);
    }
    if (Printer::endWaiting()) {
        return;  // already waiting
    }
    // A receipt half drawn or half sent would come out blank or cut: the job ends first, or is
    // withdrawn once the wait is over; the end follows as soon as no job is open.
    EventLog::write(QStringLiteral("stop"), QStringLiteral("waiting for the print job"));
    Printer::afterOpenJobs([this, exitCode] { end(exitCode); });
    QTimer::singleShot(printWaitMs_, holder_.get(), [] { RawPrintJob::withdraw(); });
}

void Shell::addExitCallback(std::function<void()> callback) {
    exitList_.push_back(std::move(callback));
}

int Shell::run() {
    loopEntered_ = true;
    // Closing the main window ends the program even when the program, not its close box, closed
    // it (the last-window rule sees only closes by the user).
    QMetaObject::Connection mainClosed;
    if (FormManager* forms = FormManager::instance()) {
        mainClosed = QObject::connect(forms, &FormManager::mainWindowClosed, holder_.get(),
                                      [] { QCoreApplication::exit(0); });
    }
    const int exitCode = application_.exec();
    QObject::disconnect(mainClosed);
    return exitCode;
}

void Shell::shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;

    // Windows first, so their being-destroyed handlers still find the database open. Template
    // windows close through their manager (their being-destroyed event runs); deleting
    // one window may take its owned windows with it, hence the guarded list.
    if (FormManager* forms = FormManager::instance()) {
        forms->closeAll();
    }
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        windows.append(window);
    }
    for (const QPointer<QWidget>& window : windows) {
        // A box a handler is waiting in (an end requested from inside it: a signal, a runtime
        // error) lives on that handler's stack; it goes with the stack or with the process.
        if (window && window->isModal()) {
            window->hide();
            continue;
        }
        delete window.data();
    }

    for (const std::function<void()>& callback : exitList_) {
        callback();
    }
    exitList_.clear();

    programFunctions().releaseAll();

    holder_.reset();
}

void Shell::requestEnd(int exitCode) {
    if (QThread::currentThread() != uiThread_) {
        // Queued to the holder's (the UI) thread; the caller's thread carries on.
        Q_EMIT holder_->endRequested(exitCode);
        return;
    }
    end(exitCode);
}

void Shell::end(int exitCode) {
    shutdown();
    EventLog::write(QStringLiteral("stop"), QStringLiteral("exit code %1").arg(exitCode));
    std::fflush(nullptr);
    // Everything of ours is closed; the toolkit's own teardown would run against an application
    // object that still lives on main's stack, so the process ends here without it.
    std::_Exit(exitCode);
}

}  // namespace tillora
