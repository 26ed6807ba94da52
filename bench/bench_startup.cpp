// Start-up: process start to the login window shown, against a bare Qt window built by the same
// build, both on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Runs each in turn
// as a fresh process and prints the medians and their ratio.
//   bench_startup [rounds]      (default 15 rounds)
// The program is run as startup_program, its own main() reporting the first window: a copy of
// the program under another name, since the program refuses to start beside itself.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "data/database_setup.h"
#include "data/template_database.h"

namespace {

// Milliseconds from starting the process to its "shown" line; negative when it never came.
double timeToWindow(const QString& program, const QStringList& arguments, QString* title) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    if (!child.waitForStarted(10000)) {
        return -1;
    }
    QByteArray out;
    while (!out.contains('\n')) {
        if (!child.waitForReadyRead(20000)) {
            child.kill();
            child.waitForFinished();
            return -1;
        }
        out += child.readAllStandardOutput();
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    child.waitForFinished(5000);
    *title = QString::fromUtf8(out.trimmed());
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const QDir here(QCoreApplication::applicationDirPath());
    const QString program = here.filePath(QStringLiteral("startup_program"));
    const QString bare = here.filePath(QStringLiteral("startup_bare_window"));
    // The program opens the database beside itself: a fresh one, so that nothing is asked.
    const QString database = tillora::databasePath(QCoreApplication::applicationDirPath());
    QFile::remove(database);
    if (!tillora::writeTemplateDatabase(database)) {
        std::fprintf(stderr, "cannot write %s\n", database.toUtf8().constData());
        return 1;
    }
    std::vector<double> programTimes, bareTimes;
    QString programTitle, bareTitle;
    for (int i = 0; i < rounds; ++i) {
        const double p = timeToWindow(program, {}, &programTitle);
        const double b = timeToWindow(bare, {}, &bareTitle);
        if (p < 0 || b < 0) {
            std::fprintf(stderr, "a window never showed (program %.1f, bare %.1f)\n", p, b);
            return 1;
        }
        programTimes.push_back(p);
        bareTimes.push_back(b);
    }
    const double pm = median(programTimes);
    const double bm = median(bareTimes);
    std::printf("platform %s, %d rounds, medians\n", qgetenv("QT_QPA_PLATFORM").constData(),
                rounds);
    std::printf("program (%s): %.1f ms\n", programTitle.toUtf8().constData(), pm);
    std::printf("bare Qt window (%s): %.1f ms\n", bareTitle.toUtf8().constData(), bm);
    std::printf("ratio: %.2f\n", bm > 0 ? pm / bm : 0.0);
    return 0;
}
