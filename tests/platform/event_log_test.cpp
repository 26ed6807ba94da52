// The log a shop sends with a problem report: bounded in size, owner-only, whole lines from any
// thread.
#include "platform/event_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>
#include <vector>

namespace tillora::test {
namespace {

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QList<QByteArray> linesOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> lines = f.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

class EventLogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { EventLog::close(); }
    QString logFile() const { return dir.filePath(EventLog::fileName()); }

    QTemporaryDir dir;
};

TEST_F(EventLogTest, RotationKeepsTheNewestLinesWithinABoundOwnerOnly) {
    EventLog::open(dir.path());
    const QString filler(1000, u'x');
    constexpr int kLines = 6000;  // about 6 MB, more than the log keeps
    for (int i = 0; i < kLines; ++i) {
        EventLog::write(QStringLiteral("test"), QString::number(i) + u' ' + filler);
    }
    qint64 total = 0;
    QStringList kept = {logFile()};
    for (int n = 1; n <= EventLog::kKeptFiles; ++n) {
        kept.append(logFile() + u'.' + QString::number(n));
    }
    for (const QString& file : kept) {
        ASSERT_TRUE(QFile::exists(file)) << qPrintable(file);
        EXPECT_LE(QFileInfo(file).size(), EventLog::kRotateBytes) << qPrintable(file);
        EXPECT_EQ(modeOf(file), 0600) << qPrintable(file);
        total += QFileInfo(file).size();
    }
    EXPECT_FALSE(QFile::exists(logFile() + QStringLiteral(".4")));
    EXPECT_LE(total, (EventLog::kKeptFiles + 1) * EventLog::kRotateBytes);
    // The newest line is in the current file, right after the one before it.
    const QList<QByteArray> lines = linesOf(logFile());
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.last().contains(" test: " + QByteArray::number(kLines - 1) + ' '));
    EXPECT_TRUE(lines.at(lines.size() - 2).contains(" test: " + QByteArray::number(kLines - 2)));
}

TEST_F(EventLogTest, LinesFromSeveralThreadsStayWholeAndNothingIsWrittenWhileClosed) {
    EventLog::write(QStringLiteral("test"), QStringLiteral("before"));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    EventLog::open(dir.path());
    EXPECT_EQ(EventLog::path(), logFile());
    constexpr int kThreads = 4;
    constexpr int kEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) {
                EventLog::write(QStringLiteral("thread"),
                                QStringLiteral("%1 first half\r\nsecond half %1").arg(t));
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EventLog::close();
    EventLog::write(QStringLiteral("test"), QStringLiteral("after"));

    const QList<QByteArray> lines = linesOf(logFile());
    ASSERT_EQ(lines.size(), kThreads * kEach);
    for (const QByteArray& line : lines) {
        const QString text = QString::fromUtf8(line);
        EXPECT_TRUE(text.contains(
            QRegularExpression(QStringLiteral(R"( thread: (\d) first half  second half \1$)"))))
            << qPrintable(text);
    }
    EXPECT_EQ(modeOf(logFile()), 0600);
}

}  // namespace
}  // namespace tillora::test
