#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include "platform/desktop_programs.h"
#include "tests/support/temp_program_folder.h"

namespace tillora {
namespace {

bool waitForFile(const QString& path) {
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(path)) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

TEST(DesktopPrograms, StartsTheFirstProgramThatExists) {
    test::TempProgramFolder bin;
    const QString marker = bin.file(QStringLiteral("started"));
    QFile script(bin.file(QStringLiteral("fake-editor")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_TRUE(DesktopPrograms::startFirstFound(
        {QStringLiteral("no-such-editor"), QStringLiteral("fake-editor")},
        {QStringLiteral("hello"), marker}, {bin.path()}));
    ASSERT_TRUE(waitForFile(marker));
    QFile result(marker);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), QByteArray("hello\n"));
}

TEST(DesktopPrograms, ReportsWhenNoneExists) {
    test::TempProgramFolder empty;
    EXPECT_FALSE(
        DesktopPrograms::startFirstFound(DesktopPrograms::calculatorNames(), {}, {empty.path()}));
    EXPECT_FALSE(DesktopPrograms::startFirstFound({}, {}, {empty.path()}));
}

}  // namespace
}  // namespace tillora
