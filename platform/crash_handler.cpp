#include "platform/crash_handler.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

extern char** environ;

namespace tillora {

namespace {

constexpr std::array kFatalSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Built once at install and never freed: a fault may arrive at any moment, also during exit.
struct MessageCommand {
    std::vector<std::string> strings;
    std::vector<char*> argv;
};
MessageCommand* command = nullptr;

// A stack overflow leaves no stack for the handler; it runs on this one instead.
alignas(16) char alternateStack[64 * 1024];

volatile sig_atomic_t handling = 0;

std::terminate_handler previousTerminate = nullptr;

pid_t forkForSignal() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // fork() runs at-fork handlers, which are not safe in a signal handler; _Fork() doesn't.
    return _Fork();
#else
    return fork();
#endif
}

void runMessageProcess() {
    if (command == nullptr) {
        return;
    }
    const pid_t child = forkForSignal();
    if (child == 0) {
        execve(command->argv[0], command->argv.data(), environ);
        _exit(127);
    }
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

void onFatalSignal(int signalNumber) {
    // SA_RESETHAND has already put back the default action: raising the signal again (or
    // returning to the faulting instruction) ends the process once the handler returns.
    if (handling == 0) {
        handling = 1;
        runMessageProcess();
    }
    raise(signalNumber);
}

void onTerminate() {
    // The standard handler reports the exception and aborts; SIGABRT then shows the message.
    if (previousTerminate != nullptr) {
        previousTerminate();
    }
    std::abort();
}

}  // namespace

QString CrashHandler::messageText() {
    return QStringLiteral("程序产生异常,已保存用户配置信息,请重新运行软件!");
}

void CrashHandler::install(const QString& messageProgram, const QStringList& arguments) {
    auto* prepared = new MessageCommand;
    prepared->strings.push_back(messageProgram.toLocal8Bit().toStdString());
    for (const QString& argument : arguments) {
        prepared->strings.push_back(argument.toLocal8Bit().toStdString());
    }
    for (std::string& text : prepared->strings) {
        prepared->argv.push_back(text.data());
    }
    prepared->argv.push_back(nullptr);
    // An earlier command stays allocated: a handler may be reading it right now.
    command = prepared;

    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kFatalSignals) {
        sigaction(signalNumber, &action, nullptr);
    }

    const std::terminate_handler before = std::set_terminate(onTerminate);
    if (before != onTerminate) {
        previousTerminate = before;
    }
}

}  // namespace tillora
