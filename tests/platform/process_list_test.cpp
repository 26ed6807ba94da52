#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "platform/process_list.h"
#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "tests/support/temp_program_folder.h"

namespace tillora {
namespace {

TEST(ProcessList, FindsThisProcessWithItsFields) {
    const auto processes = ProcessList::snapshot();
    const qint64 self = ::getpid();
    const auto it = std::find_if(processes.begin(), processes.end(),
                                 [&](const ProcessInfo& p) { return p.pid == self; });
    ASSERT_NE(it, processes.end());
    EXPECT_EQ(it->parentPid, static_cast<qint64>(::getppid()));
    EXPECT_EQ(it->exePath, ProgramFolder::executablePath());
    EXPECT_EQ(it->exeName, QStringLiteral("platform_tests"));
    // QApplication keeps at least the main thread; the count comes from the kernel, not us.
    EXPECT_GE(it->threadCount, 1);
}

TEST(ProcessList, ParsesStatLinesWithAwkwardNames) {
    struct Case {
        const char* line;
        bool ok;
        qint64 pid, ppid;
        int priority, threads;
        const char* name;
    };
    const Case cases[] = {
        {"42 (bash) S 7 42 42 0 -1 4194560 1 0 0 0 0 0 0 0 20 0 1 0 100 0 0", true, 42, 7, 20, 1,
         "bash"},
        // A name with blanks and a ')' must not shift the fields.
        {"9 (a) b (c)) R 3 9 9 0 -1 0 0 0 0 0 0 0 0 0 -2 0 12 0 1 0 0", true, 9, 3, -2, 12,
         "a) b (c)"},
        {"9 (x) S 3", false, 0, 0, 0, 0, ""},
        {"", false, 0, 0, 0, 0, ""},
        {"abc (x) S 3 9 9 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 1 0 0", false, 0, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ProcessInfo info;
        ASSERT_EQ(ProcessList::parseStat(QByteArray(c.line), info), c.ok);
        if (c.ok) {
            EXPECT_EQ(info.pid, c.pid);
            EXPECT_EQ(info.parentPid, c.ppid);
            EXPECT_EQ(info.priority, c.priority);
            EXPECT_EQ(info.threadCount, c.threads);
            EXPECT_EQ(info.exeName, QString::fromUtf8(c.name));
        }
    }
}

TEST(ProcessList, SkipsEntriesThatAreNotReadableProcesses) {
    // A prepared tree: one good process, one broken stat, one non-numeric folder.
    test::TempProgramFolder root;
    QDir dir(root.path());
    ASSERT_TRUE(dir.mkpath(QStringLiteral("12")) && dir.mkpath(QStringLiteral("13")) &&
                dir.mkpath(QStringLiteral("self")));
    auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(root.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(QStringLiteral("12/stat"), "12 (till) S 1 12 12 0 -1 0 0 0 0 0 0 0 0 0 20 0 3 0 1 0 0");
    write(QStringLiteral("13/stat"), "garbage");
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin/tillora-somewhere"),
                            root.file(QStringLiteral("12/exe"))));

    const auto processes = ProcessList::snapshot(root.path());
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes[0].pid, 12);
    EXPECT_EQ(processes[0].threadCount, 3);
    EXPECT_EQ(processes[0].exePath, QStringLiteral("/usr/bin/tillora-somewhere"));
    EXPECT_EQ(processes[0].exeName, QStringLiteral("tillora-somewhere"));
}

TEST(SingleInstance, MatchesOnlyOtherProcessesOfTheSameFile) {
    const QString exe = QStringLiteral("/opt/till/tillora");
    auto process = [](qint64 pid, const QString& path) {
        ProcessInfo p;
        p.pid = pid;
        p.exePath = path;
        p.exeName = ProgramFolder::split(path).fileName;
        return p;
    };
    // Same name in another folder is another installation with its own database.
    const std::vector<ProcessInfo> othersOnly{process(1, QStringLiteral("/sbin/init")),
                                              process(7, QStringLiteral("/home/x/tillora")),
                                              process(8, QString())};
    EXPECT_FALSE(SingleInstance::anotherInstanceRunning(exe, 100, othersOnly));
    EXPECT_FALSE(SingleInstance::anotherInstanceRunning(exe, 100, {process(100, exe)}));
    EXPECT_TRUE(
        SingleInstance::anotherInstanceRunning(exe, 100, {process(100, exe), process(5, exe)}));
    // Our own path unknown: never claim a copy is running.
    EXPECT_FALSE(SingleInstance::anotherInstanceRunning(QString(), 100, othersOnly));
}

TEST(SingleInstance, SeesALiveCopyByItsRealPath) {
    // A private copy of sleep, reached through a symbolic link: the process list shows the
    // resolved file, so the comparison must use it too.
    test::TempProgramFolder folder;
    const QString sleepPath = folder.file(QStringLiteral("sleeper"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), sleepPath));
    ASSERT_TRUE(QFile::link(sleepPath, folder.file(QStringLiteral("link"))));
    const qint64 self = ::getpid();
    QProcess copy;
    copy.start(folder.file(QStringLiteral("link")), {QStringLiteral("30")});
    ASSERT_TRUE(copy.waitForStarted());
    EXPECT_TRUE(SingleInstance::anotherInstanceRunning(sleepPath, self, ProcessList::snapshot()));
    copy.kill();
    copy.waitForFinished();
    EXPECT_FALSE(SingleInstance::anotherInstanceRunning(sleepPath, self, ProcessList::snapshot()));
}

// A copy of the program started in a child: it takes the name of exePath, says so through the
// pipe and waits to be killed. Only system calls after the fork.
pid_t startHolder(const QString& exePath) {
    const QByteArray name = SingleInstance::lockName(exePath);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const char said = SingleInstance::bindName(fd, name) ? 'y' : 'n';
        [[maybe_unused]] const auto written = ::write(pipeEnds[1], &said, 1);
        for (;;) {
            ::pause();
        }
    }
    ::close(pipeEnds[1]);
    char said = 'n';
    const bool heard = child > 0 && ::read(pipeEnds[0], &said, 1) == 1 && said == 'y';
    ::close(pipeEnds[0]);
    if (!heard && child > 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return -1;
    }
    return child;
}

// The name decides alone when it is free; while another process holds it the process list
// decides, and a holder that is killed leaves nothing behind.
TEST(SingleInstance, NameHolderCountsUntilItEnds) {
    test::TempProgramFolder folder;
    const QString exe = folder.file(QStringLiteral("till"));  // a path no other test uses
    EXPECT_EQ(SingleInstance::lockName(exe), SingleInstance::lockName(exe));
    EXPECT_NE(SingleInstance::lockName(exe), SingleInstance::lockName(exe + QStringLiteral("2")));
    const qint64 self = ::getpid();
    int listed = 0;
    ProcessInfo copy;
    copy.pid = 5;
    copy.exePath = exe;
    auto withCopy = [&] {
        ++listed;
        return std::vector<ProcessInfo>{copy};
    };

    const pid_t holder = startHolder(exe);
    ASSERT_GT(holder, 0);
    EXPECT_FALSE(SingleInstance::holdLock(exe));
    EXPECT_TRUE(SingleInstance::anotherInstanceRunning(exe, self, withCopy));
    EXPECT_EQ(listed, 1);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);

    // Free again: taken, and the process list is not even read.
    EXPECT_FALSE(SingleInstance::anotherInstanceRunning(exe, self, withCopy));
    EXPECT_EQ(listed, 1);
    EXPECT_TRUE(SingleInstance::holdLock(exe));
    // Kept while this process runs: a second copy can't take it.
    EXPECT_EQ(startHolder(exe), -1);
}

TEST(ProgramFolder, SplitsAtTheLastSlash) {
    struct Case {
        const char* path;
        const char* folder;
        const char* file;
    };
    const Case cases[] = {
        {"/opt/till/tillora", "/opt/till", "tillora"},
        {"/tillora", "/", "tillora"},
        {"tillora", "", "tillora"},
        {"/opt/收银/tillora", "/opt/收银", "tillora"},
    };
    for (const Case& c : cases) {
        const auto parts = ProgramFolder::split(QString::fromUtf8(c.path));
        EXPECT_EQ(parts.folder, QString::fromUtf8(c.folder)) << c.path;
        EXPECT_EQ(parts.fileName, QString::fromUtf8(c.file)) << c.path;
    }
    EXPECT_EQ(ProgramFolder::filePath(QStringLiteral("/a"), QStringLiteral("Zeb.mdb")),
              QStringLiteral("/a/Zeb.mdb"));
    EXPECT_EQ(ProgramFolder::filePath(QStringLiteral("/"), QStringLiteral("Zeb.mdb")),
              QStringLiteral("/Zeb.mdb"));
}

TEST(ProgramFolder, EnterChangesTheCurrentDirectory) {
    const QString before = QDir::currentPath();
    test::TempProgramFolder folder;
    ASSERT_TRUE(ProgramFolder::enter(folder.path()));
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(folder.path()).canonicalPath());
    EXPECT_FALSE(ProgramFolder::enter(folder.file(QStringLiteral("missing"))));
    EXPECT_FALSE(ProgramFolder::enter(QString()));
    QDir::setCurrent(before);
}

}  // namespace
}  // namespace tillora
