#pragma once

// This test program's own CUPS client settings, made before anything else runs, the command line
// tools the printing tests ask, and the windows that print with the sales module behind them.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <QCoreApplication>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "data/current_user.h"
#include "forms/component_factory.h"
#include "print/print_components.h"
#include "print/system_printers.h"
#include "sales/receipt_printer.h"
#include "sales/sales_module.h"
#include "tests/settings/print_windows_fixture.h"
#include "tests/support/logged_in_user.h"

namespace tillora::test {

inline const QString kDefaultQueue = QStringLiteral("TilloraPDF");
inline const QString kSecondQueue = QStringLiteral("TilloraPDF2");

// CUPS keeps the user's default destination in $HOME/.cups/lpoptions and reads HOME (and
// CUPS_SERVERROOT, root's options file) once per thread, on its first call. So before anything
// else runs, this process gets folders of its own for both: what these tests choose never
// reaches the machine's default that other test programs print on.
struct PrivateCupsClient {
    QString realHome;
    QString folder;

    PrivateCupsClient() : realHome(qEnvironmentVariable("HOME")) {
        QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/tillora-cups-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder = QString::fromLocal8Bit(pattern);
        QDir(folder).mkpath(QStringLiteral("serverroot"));
        qputenv("HOME", pattern);
        qputenv("CUPS_SERVERROOT", pattern + "/serverroot");
        // The default starts as the first queue in this user's own options, never the machine's:
        // a queue named by the environment would hide what the window saves.
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        QDir(folder).mkpath(QStringLiteral(".cups"));
        QFile options(folder + QStringLiteral("/.cups/lpoptions"));
        if (!options.open(QIODevice::WriteOnly) ||
            options.write("Default " + kDefaultQueue.toLatin1() + '\n') < 0) {
            std::perror("lpoptions");
            std::abort();
        }
    }
    ~PrivateCupsClient() { QDir(folder).removeRecursively(); }
};
inline PrivateCupsClient& privateClient() {
    static PrivateCupsClient client;
    return client;
}
inline const bool kPrivateClientReady = (privateClient(), true);

inline QString run(const QString& tool, const QStringList& args,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " not found";
        return {};
    }
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(path, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// "system default destination: X" -> X; empty when there is none.
inline QString lpstatDefault(
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    const QString out = run(QStringLiteral("lpstat"), {QStringLiteral("-d")}, env).trimmed();
    const qsizetype colon = out.lastIndexOf(u':');
    return colon < 0 ? QString() : out.mid(colon + 1).trimmed();
}

inline bool schedulerRuns(
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    return run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, env)
        .contains(QStringLiteral("scheduler is running"));
}

// Puts the default destination back however a test ends.
struct DefaultRestorer {
    ~DefaultRestorer() { SystemPrinters::setDefault(kDefaultQueue); }
};

class PrinterChoiceTest : public PrintWindowsFixture {
  protected:
    void SetUp() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        module = std::make_unique<SalesModule>(db);
        PrintWindowsFixture::SetUp();
        logIn(QStringLiteral("admin"), QStringLiteral("管理员"));
        PrintComponents::registerWith(ComponentFactory::instance());
        installReceiptPrinting(*module);
        // The till's own printer file goes to the test's folder.
        previousFolder = QDir::currentPath();
        QDir::setCurrent(folder.path());
    }
    void TearDown() override {
        QDir::setCurrent(previousFolder);
        PrintWindowsFixture::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CurrentUser::forget();
    }
    void registerMoreHandlers(HandlerRegistry& r) override { module->registerHandlers(r); }

    FormWindow* openChoice() {
        if (!openPrinterChoiceWindow(*manager, nullptr)) {
            ADD_FAILURE() << manager->lastError().toStdString();
            return nullptr;
        }
        return window(FormId::PrinterChoice);
    }
    Component* list(FormWindow* w) const {
        return w->component(QStringLiteral("组合框_打印机名称"));
    }
    bool isOpen(FormId id) const { return manager->isOpen(static_cast<qint32>(id)); }

    // The user's options file: what CUPS writes for "lpoptions -d".
    static QString userOptions() {
        QFile f(QDir::home().filePath(QStringLiteral(".cups/lpoptions")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // The machine's default as a process without this test's private settings sees it.
    static QString machineDefault() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), privateClient().realHome);
        env.remove(QStringLiteral("CUPS_SERVERROOT"));
        return lpstatDefault(env);
    }

    std::unique_ptr<SalesModule> module;
    QString previousFolder;
};

}  // namespace tillora::test
