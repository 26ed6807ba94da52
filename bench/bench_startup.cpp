// Start and exit against the size of the shop's history: process start to the login window, the
// same on the first start of a day (when the day's backup is due), and closing the program to
// the process gone with a backup to take at exit. Each at a fresh file and at 10k and 100k sales
// (1M, and 1M with 3M lines, with --large), on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise, with the file in the page cache; a bare Qt window of the same build is the
// yardstick of the start. Prints the ratios to the fresh file at the end.
//   bench_startup [--large] [benchmark options]
// The program is run as startup_program, its own main() reporting the first window and closing
// it on a line from the benchmark: a copy under another name, since the program refuses to
// start beside itself. Each run checks what it must have done: the window shown, the process
// ended with 0, the day's backup written, or the exit's written by the process it was handed to.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "bench/shop_history.h"
#include "data/backup_folder.h"
#include "data/database_backup.h"
#include "data/database_setup.h"

namespace {

using namespace tillora;

QString besideMe(const char* name) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

// The program opens the database beside itself.
QString database() {
    return databasePath(QCoreApplication::applicationDirPath());
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

// No backup of the database being taken by any process (a handed-over exit backup included).
bool backupsIdle() {
    QDir().mkpath(backup_folder::folderFor(database()));
    backup_folder::Lock lock(database());
    QDeadlineTimer deadline(600000);
    return lock.acquire([&deadline] { return deadline.hasExpired(); });
}

void clearBackups() {
    for (const QString& file : backup_folder::files(database())) {
        QFile::remove(file);
    }
}

// True when the newest backup holds what the database holds.
bool backupCurrent() {
    const QString newest = backup_folder::newest(database());
    return !newest.isEmpty() && backupIsCurrent(database(), newest);
}

// One run of a program: started, its first window awaited, then closed.
class Run {
  public:
    explicit Run(const QString& program) {
        process_.setProgram(program);
        clock_.start();
        process_.start();
    }
    ~Run() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    // Seconds from the start to the "shown" line; negative when it never came.
    double toWindow() {
        QByteArray out;
        while (!out.contains('\n')) {
            if (!process_.waitForReadyRead(600000)) {
                return -1;
            }
            out += process_.readAllStandardOutput();
        }
        return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    }
    // Closes its windows; seconds until the process is gone, negative when it failed.
    double closeAndWait() {
        QElapsedTimer clock;
        clock.start();
        process_.write("exit\n");
        if (!process_.waitForFinished(600000) || process_.exitStatus() != QProcess::NormalExit ||
            process_.exitCode() != 0) {
            return -1;
        }
        return static_cast<double>(clock.nsecsElapsed()) / 1e9;
    }

  private:
    QProcess process_;
    QElapsedTimer clock_;
};

// The history of the benchmark's size in place, opened once by the program (which puts its
// indexes in place), with a current backup of today so nothing is due.
bool prepare(benchmark::State& state) {
    if (!backupsIdle() ||
        !bench::copyOfHistory(database(), int(state.range(0)), int(state.range(1)))) {
        state.SkipWithError("no history of that size");
        return false;
    }
    clearBackups();
    Run first(besideMe("startup_program"));
    // The day's backup is stopped by the exit, whose own backup then goes to a process.
    if (first.toWindow() < 0 || first.closeAndWait() < 0 || !waitFor(backupCurrent, 600000) ||
        !backupsIdle()) {
        state.SkipWithError("the program did not start and end");
        return false;
    }
    clearBackups();
    if (!backupsIdle() || !QFile::copy(database(), backup_folder::fileFor(
                                                       database(), QDateTime::currentDateTime()))) {
        state.SkipWithError("cannot write the backup folder");
        return false;
    }
    return true;
}

void BM_StartToLogin(benchmark::State& state) {
    if (!prepare(state)) {
        return;
    }
    for (auto _ : state) {
        Run run(besideMe("startup_program"));
        const double seconds = run.toWindow();
        if (seconds < 0 || run.closeAndWait() < 0) {
            state.SkipWithError("no window, or the program did not end with 0");
            break;
        }
        state.SetIterationTime(seconds);
    }
    // Nothing changed, so no backup was taken.
    if (backup_folder::files(database()).size() != 1) {
        state.SkipWithError("a backup was taken of an unchanged file");
    }
}

// No backup of today yet: the day's backup is due, and taken beside the window.
void BM_FirstStartOfDay(benchmark::State& state) {
    if (!prepare(state)) {
        return;
    }
    for (auto _ : state) {
        clearBackups();
        Run run(besideMe("startup_program"));
        const double seconds = run.toWindow();
        if (seconds < 0) {
            state.SkipWithError("no window");
            break;
        }
        state.SetIterationTime(seconds);
        if (!waitFor(backupCurrent, 600000) || run.closeAndWait() < 0 || !backupsIdle()) {
            state.SkipWithError("the day's backup was not written, or the program did not end");
            break;
        }
    }
}

// A backup of today that no longer holds what the file does: the exit must take one.
void BM_ExitToGone(benchmark::State& state) {
    if (!prepare(state)) {
        return;
    }
    for (auto _ : state) {
        clearBackups();
        QFile stale(backup_folder::fileFor(database(), QDateTime(QDate::currentDate(), QTime())));
        stale.open(QIODevice::WriteOnly);
        stale.write("an older backup");
        stale.close();
        Run run(besideMe("startup_program"));
        if (run.toWindow() < 0) {
            state.SkipWithError("no window");
            break;
        }
        const double seconds = run.closeAndWait();
        if (seconds < 0) {
            state.SkipWithError("the program did not end with 0");
            break;
        }
        state.SetIterationTime(seconds);
        if (!waitFor(backupCurrent, 600000) || !backupsIdle()) {
            state.SkipWithError("the exit's backup was not written");
            break;
        }
    }
}

void BM_BareWindow(benchmark::State& state) {
    for (auto _ : state) {
        Run run(besideMe("startup_bare_window"));
        const double seconds = run.toWindow();
        if (seconds < 0 || run.closeAndWait() < 0) {
            state.SkipWithError("the bare window did not show and end");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

bool large = false;

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({0, 0})->Args({10000, 0})->Args({100000, 0});
    if (large) {
        b->Args({1000000, 0})->Args({1000000, 3});
    }
    b->ArgNames({"sales", "lines"})->UseManualTime()->Unit(benchmark::kMillisecond);
}

const char* const kSizes[] = {"sales:10000/lines:0", "sales:100000/lines:0",
                              "sales:1000000/lines:0", "sales:1000000/lines:3"};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--large") == 0) {
            large = true;
        } else {
            arguments.push_back(argv[i]);
        }
    }
    int count = int(arguments.size());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&count, arguments.data());
    benchmark::RegisterBenchmark("BM_BareWindow", BM_BareWindow)
        ->Iterations(10)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_StartToLogin", BM_StartToLogin)->Apply(sizes)->Iterations(5);
    benchmark::RegisterBenchmark("BM_FirstStartOfDay", BM_FirstStartOfDay)
        ->Apply(sizes)
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_ExitToGone", BM_ExitToGone)->Apply(sizes)->Iterations(3);

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& s = reporter.seconds;
    std::printf("\nratios to the fresh file (wall-clock, the file in the page cache):\n");
    const std::string fresh = "sales:0/lines:0";
    if (s.count("BM_BareWindow") && s.count("BM_StartToLogin/" + fresh)) {
        std::printf("  fresh file's start to the bare window's: %.2f\n",
                    s["BM_StartToLogin/" + fresh] / s["BM_BareWindow"]);
    }
    for (const char* name : {"BM_StartToLogin", "BM_FirstStartOfDay", "BM_ExitToGone"}) {
        const std::string base = std::string(name) + "/" + fresh;
        if (!s.count(base) || s[base] <= 0) {
            continue;
        }
        std::printf("  %s (fresh %.1f ms):", name, s[base] * 1000);
        for (const char* size : kSizes) {
            const std::string key = std::string(name) + "/" + size;
            if (s.count(key)) {
                std::printf("  %s %.1f ms = %.2f x", size, s[key] * 1000, s[key] / s[base]);
            }
        }
        std::printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
