#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <thread>

#include "app/program_holder.h"
#include "app/shell.h"
#include "forms/form_manager.h"
#include "forms/handler_registry.h"
#include "forms/services/message_service.h"
#include "print/printer.h"
#include "tests/forms/window_test_templates.h"
#include "values/runtime_error.h"

namespace tillora {
namespace {

// The loop ends by itself once the only window closes, with exit code 0; a window that was
// never shown (templates open invisibly) and the hidden holder don't keep it running.
TEST(Shell, ClosingTheLastWindowEndsTheLoopWithZero) {
    Shell shell(*qApp);
    QPointer<QWidget> invisible = new QWidget;
    QPointer<QWidget> window = new QWidget;
    window->show();
    bool stillRunningWithWindowOpen = false;
    QTimer::singleShot(50, window, [&] {
        stillRunningWithWindowOpen = true;
        window->close();
    });
    EXPECT_EQ(shell.run(), 0);
    EXPECT_TRUE(stillRunningWithWindowOpen);
    EXPECT_TRUE(shell.loopEntered());
    shell.shutdown();
    EXPECT_TRUE(invisible.isNull());
    EXPECT_TRUE(window.isNull());
}

// Closing the main window ends the loop even with another window open, and takes that window
// along first; here the program closes it, so no close event tells the toolkit.
TEST(Shell, ClosingTheMainWindowEndsTheLoopAndClosesTheOthersFirst) {
    Shell shell(*qApp);
    TemplateSet set;
    set.windows = {test::windowTemplate(test::kTestWindow, QSize(200, 150)),
                   test::windowTemplate(test::kOtherWindow, QSize(200, 150))};
    HandlerRegistry handlers;
    FormManager forms(set, handlers);
    ASSERT_TRUE(forms.open(test::kTestWindow));
    ASSERT_TRUE(forms.open(test::kOtherWindow));
    forms.setMainWindow(forms.window(test::kTestWindow));
    QList<qint32> closed;
    QObject::connect(&forms, &FormManager::windowClosed, [&](qint32 id) { closed << id; });
    QTimer::singleShot(50, &forms, [&] { forms.close(test::kTestWindow); });
    EXPECT_EQ(shell.run(), 0);
    EXPECT_EQ(closed, (QList<qint32>{test::kOtherWindow, test::kTestWindow}));
    shell.shutdown();
}

TEST(Shell, ShutdownDestroysWindowsThenRunsExitListThenClosesHolder) {
    QStringList steps;
    auto shell = std::make_unique<Shell>(*qApp);
    EXPECT_EQ(ProgramHolder::instance(), &shell->holder());
    auto* owner = new QWidget;
    auto* owned = new QWidget(owner, Qt::Window);  // destroyed with its owner, not twice
    QObject::connect(owner, &QObject::destroyed, [&] { steps << QStringLiteral("owner"); });
    QObject::connect(owned, &QObject::destroyed, [&] { steps << QStringLiteral("owned"); });
    QObject::connect(&shell->holder(), &QObject::destroyed,
                     [&] { steps << QStringLiteral("holder"); });
    shell->addExitCallback([&] { steps << QStringLiteral("exit 1"); });
    shell->addExitCallback([&] { steps << QStringLiteral("exit 2"); });

    shell->shutdown();
    shell->shutdown();  // a second request does nothing
    shell.reset();

    ASSERT_EQ(steps.size(), 5);
    EXPECT_TRUE(steps.indexOf(QStringLiteral("owned")) < 2 &&
                steps.indexOf(QStringLiteral("owner")) < 2);
    EXPECT_EQ(steps.mid(2), (QStringList{QStringLiteral("exit 1"), QStringLiteral("exit 2"),
                                         QStringLiteral("holder")}));
    EXPECT_EQ(ProgramHolder::instance(), nullptr);
    EXPECT_EQ(Shell::instance(), nullptr);
}

TEST(Shell, ProgramFolderBecomesTheCurrentDirectory) {
    const QString before = QDir::currentPath();
    Shell shell(*qApp);
    const QString folder = QDir::tempPath();
    EXPECT_TRUE(shell.setProgramFolder(folder));
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(folder).canonicalPath());
    EXPECT_EQ(shell.programFolder(), folder);
    QDir::setCurrent(before);
}

// Ending the process is watched from outside: these run in a child copy of the test program.
class ShellEndTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(ShellEndTest, EndRequestFromAnotherThreadRunsShutdownOnTheUiThread) {
    EXPECT_EXIT(
        {
            Shell shell(*qApp);
            const auto uiThread = std::this_thread::get_id();
            shell.addExitCallback([uiThread] {
                std::fputs(std::this_thread::get_id() == uiThread ? "exit list on ui\n"
                                                                  : "exit list elsewhere\n",
                           stderr);
            });
            auto* window = new QWidget;
            window->show();
            std::thread([&shell] { shell.requestEnd(7); }).join();
            shell.run();
            std::fputs("loop returned\n", stderr);
        },
        ::testing::ExitedWithCode(7), "exit list on ui");
}

// SIGTERM while a receipt is being drawn: the job is finished and handed over whole, then the
// program ends as 退出 does.
TEST_F(ShellEndTest, TerminationSignalWaitsForTheOpenPrintJob) {
    EXPECT_EXIT(
        {
            QTemporaryDir folder;
            const QString pdf = folder.filePath(QStringLiteral("receipt.pdf"));
            Shell shell(*qApp);
            shell.endOnTerminationSignals();
            shell.addExitCallback([pdf, &folder] {
                QFile written(pdf);
                written.open(QIODevice::ReadOnly);
                std::fputs(written.readAll().trimmed().endsWith("%%EOF") ? "receipt whole\n"
                                                                         : "receipt cut\n",
                           stderr);
                folder.remove();  // the process ends without unwinding
            });
            Printer::setOutputFileOverride(pdf);
            Printer printer;
            if (!printer.StartPrint(false, false)) {
                std::fputs("no job\n", stderr);
            }
            std::raise(SIGTERM);
            QCoreApplication::processEvents();  // as the progress window is served
            std::fputs("still drawing\n", stderr);
            printer.WriteAt(0, 0, QStringList{QStringLiteral("单号：2026120800017")});
            printer.EndPrint();
            shell.run();
        },
        ::testing::ExitedWithCode(0), "still drawing\nreceipt whole");
}

class SilentMessages : public MessageService {
  public:
    int show(const QString& text, int, const QString& caption, QWidget*) override {
        std::fprintf(stderr, "box %s: %s\n", caption.toUtf8().constData(),
                     text.toUtf8().constData());
        return MessageResult::Ok;
    }
};

TEST_F(ShellEndTest, RuntimeErrorShowsTheBoxThenShutsDownWithMinusOne) {
    EXPECT_EXIT(
        {
            SilentMessages messages;
            setMessageService(&messages);
            Shell shell(*qApp);
            setRuntimeErrorShutdown([&shell] { shell.shutdown(); });
            shell.addExitCallback([] { std::fputs("exit list ran\n", stderr); });
            reportRuntimeError(0, windowLoadFailedText());
        },
        ::testing::ExitedWithCode(255), "box 错误: .*载入启动窗口失败(.|\n)*exit list ran");
}

}  // namespace
}  // namespace tillora
