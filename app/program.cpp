#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "app/automatic_backup.h"
#include "app/database_wait_indicator.h"
#include "app/first_window.h"
#include "app/login_window.h"
#include "app/message_database_prompts.h"
#include "app/program_holder.h"
#include "app/program_icon.h"
#include "app/sales_hand_over.h"
#include "app/settings_hand_over.h"
#include "app/shell.h"
#include "app/start_routine.h"
#include "data/current_user.h"
#include "data/database_setup.h"
#include "forms/component_factory.h"
#include "forms/component_font.h"
#include "forms/form_manager.h"
#include "forms/services/memory_guard.h"
#include "forms/services/message_service.h"
#include "forms/services/qt_message_service.h"
#include "forms/services/runtime_error_box.h"
#include "formset/embedded_template_set.h"
#include "platform/clock.h"
#include "platform/crash_handler.h"
#include "platform/data_folder.h"
#include "platform/event_log.h"
#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "print/print_components.h"
#include "print/print_support.h"
#include "print/raw_print_job.h"
#include "records/records_module.h"
#include "sales/receipt_printer.h"
#include "sales/sales_module.h"
#include "settings/logo_window.h"
#include "settings/printer_choice_window.h"
#include "settings/settings_module.h"
#include "templates/template_set_reader.h"
#include "values/runtime_error.h"

namespace tillora {

namespace {

// Qt's own texts (dialogs, context menus) and the calendar's month and day names in Chinese,
// whatever the machine's locale.
void useChineseQtTexts() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    installChineseQtTranslations();
}

QString dataFolderFailedText(const QString& folder) {
    return QStringLiteral("无法建立数据目录：%1！").arg(QDir::toNativeSeparators(folder));
}

}  // namespace

int runProgram(QApplication& application) {
    installRuntimeErrorBox();
    installMemoryGuard();
    const DatabaseWaitIndicator waitIndicator;
    const ProgramFolder::Parts program = ProgramFolder::current();
    CrashHandler::install(ProgramFolder::filePath(program.folder, program.fileName),
                          {QString::fromLatin1(CrashHandler::kMessageArgument)});
    useChineseQtTexts();
    installFontSubstitutions();
    QApplication::setWindowIcon(programIcon());

    const QString data = DataFolder::forProgram(program.folder);
    if (!DataFolder::ensure(data)) {
        showMessage(dataFolderFailedText(data), MessageFlags::IconError);
        return 1;
    }
    EventLog::open(data);
    EventLog::write(QStringLiteral("start"), QStringLiteral("%1 (pid %2), data folder %3")
                                                 .arg(QCoreApplication::applicationFilePath())
                                                 .arg(QCoreApplication::applicationPid())
                                                 .arg(data));
    // Raw receipt-printer jobs and every drawer opening, with who opened it.
    RawPrintJob::setObserver([](const RawPrintJob::Report& r) {
        EventLog::write(QStringLiteral("print"),
                        QStringLiteral("%1 \"%2\", %3 bytes%4: %5")
                            .arg(r.queue, r.title)
                            .arg(r.bytes)
                            .arg(r.drawerPulse ? QStringLiteral(", drawer opened by ") +
                                                     CurrentUser::orNobody().userName()
                                               : QString())
                            .arg(r.failure.isEmpty() ? QStringLiteral("taken") : r.failure));
    });
    Shell shell(application);
    shell.endOnTerminationSignals();
    // Relative paths (the database, the export's work file) resolve in the data folder, whatever
    // folder the program was started from.
    shell.setProgramFolder(data);
    setRuntimeErrorShutdown([&shell] { shell.shutdown(); });

    TemplateSet templates;
    QString templateError;
    if (!readTemplateSet(embeddedTemplateSet(), embeddedHandlerNames(), templates,
                         &templateError)) {
        reportRuntimeError(RuntimeErrorCode::None, QStringLiteral("载入窗口模板数据段出错!"));
    }
    HandlerRegistry handlers;
    // The sales windows serve the whole run; the login hands over to the sales entry window.
    SalesModule sales(shell.holder().database());
    sales.keepUnsettledSaleIn(UnsettledSale::fileIn(data));
    RecordsModule records(sales, databasePath(data));
    SettingsModule settings(shell.holder().database());
    registerWindowLogic(handlers, sales, records, settings);
    const auto openMainWindow = salesEntryOpener();
    FormManager forms(templates, handlers);

    MessageDatabasePrompts prompts;
    const StartCollaborators collaborators{[] { return SingleInstance::anotherInstanceRunning(); },
                                           data, &prompts};
    switch (runStartRoutine(shell.holder().database(), collaborators)) {
        case StartOutcome::DatabaseOpen:
            break;
        case StartOutcome::AlreadyRunning:
            shell.end(0);
        case StartOutcome::NoDatabase:
            // A till that could not reach its data did not do its job; scripts see that.
            shell.end(1);
    }
    const QString database = databasePath(data);
    // The day's backup starts once the first window is up and runs beside it; an exit stops it
    // first, then hands its own backup to a process of its own so that this one ends at once.
    const auto dailyBackup = std::make_shared<std::unique_ptr<automatic_backup::DailyBackup>>();
    shell.addExitCallback([dailyBackup, database] {
        dailyBackup->reset();
        automatic_backup::handOver(database, QCoreApplication::applicationFilePath(), Clock::now());
    });

    if (!showFirstWindow(forms, shell.holder().database(), openMainWindow)) {
        reportRuntimeError(RuntimeErrorCode::None, windowLoadFailedText());
    }
    QTimer::singleShot(0, &shell.holder(), [dailyBackup, database] {
        *dailyBackup = std::make_unique<automatic_backup::DailyBackup>(database, Clock::now());
        // The last run ended while a stored sale's receipt was on its way to the printer.
        const QString unprinted = ReceiptPrinter::takeUnprinted();
        if (!unprinted.isEmpty()) {
            EventLog::write(QStringLiteral("print"),
                            QStringLiteral("receipt %1 not printed last time").arg(unprinted));
            showMessage(ReceiptPrinter::unprintedText(unprinted), MessageFlags::IconWarning);
        }
    });
    const int exitCode = shell.run();
    shell.shutdown();
    EventLog::write(QStringLiteral("stop"), QStringLiteral("exit code %1").arg(exitCode));
    return exitCode;
}

void registerWindowLogic(HandlerRegistry& handlers, SalesModule& sales, RecordsModule& records,
                         SettingsModule& settings) {
    PrintComponents::registerWith(ComponentFactory::instance());
    installReceiptPrinting(sales);
    sales.registerHandlers(handlers);
    PrinterChoiceWindow::registerHandlers(handlers);
    LogoWindow::registerHandlers(handlers, sales.database());
    records.registerHandlers(handlers);
    records.installOpener();
    connectSettings(settings, sales);
    settings.registerHandlers(handlers);
    LoginWindow::registerHandlers(handlers, LoginWindow::shellServices(salesEntryOpener()));
}

int showCrashMessage(QApplication&) {
    useChineseQtTexts();
    showMessage(CrashHandler::messageText());
    return 0;
}

int printDataFolder() {
    const QString data = DataFolder::current();
    if (!DataFolder::ensure(data)) {
        std::fprintf(stderr, "%s\n", qPrintable(dataFolderFailedText(data)));
        return 1;
    }
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(data)));
    return 0;
}

int checkPrintModule() {
    if (PrintSupport::get() == nullptr) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QStringLiteral("找不到 %1！").arg(PrintSupport::moduleName())));
        return 1;
    }
    std::printf("%s\n", qPrintable(PrintSupport::loadedFrom()));
    return 0;
}

}  // namespace tillora
