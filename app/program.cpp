#include "app/program.h"

#include <QApplication>

#include "app/automatic_backup.h"
#include "app/database_wait_indicator.h"
#include "app/first_window.h"
#include "app/login_window.h"
#include "app/message_database_prompts.h"
#include "app/program_holder.h"
#include "app/sales_hand_over.h"
#include "app/settings_hand_over.h"
#include "app/shell.h"
#include "app/start_routine.h"
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
#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "print/logo_window.h"
#include "print/print_components.h"
#include "print/printer_choice_window.h"
#include "records/records_module.h"
#include "sales/receipt_printer.h"
#include "sales/sales_module.h"
#include "settings/settings_module.h"
#include "templates/template_set_reader.h"
#include "values/runtime_error.h"

namespace tillora {

int runProgram(QApplication& application) {
    installRuntimeErrorBox();
    installMemoryGuard();
    const DatabaseWaitIndicator waitIndicator;
    const ProgramFolder::Parts program = ProgramFolder::current();
    CrashHandler::install(ProgramFolder::filePath(program.folder, program.fileName),
                          {QString::fromLatin1(CrashHandler::kMessageArgument)});
    installChineseQtTranslations();
    installFontSubstitutions();

    Shell shell(application);
    // Relative paths (the database, the export's work file) resolve beside the program, whatever
    // folder it was started from.
    shell.setProgramFolder(program.folder);
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
    RecordsModule records(sales, databasePath(program.folder));
    SettingsModule settings(shell.holder().database());
    registerWindowLogic(handlers, sales, records, settings);
    const auto openMainWindow = salesEntryOpener();
    FormManager forms(templates, handlers);

    MessageDatabasePrompts prompts;
    const StartCollaborators collaborators{[] { return SingleInstance::anotherInstanceRunning(); },
                                           program.folder, &prompts};
    if (runStartRoutine(shell.holder().database(), collaborators) != StartOutcome::DatabaseOpen) {
        shell.end(0);
    }
    const QString database = databasePath(program.folder);
    automatic_backup::atStart(database, Clock::now());
    shell.addExitCallback([database] { automatic_backup::atExit(database, Clock::now()); });

    if (!showFirstWindow(forms, shell.holder().database(), openMainWindow)) {
        reportRuntimeError(RuntimeErrorCode::None, windowLoadFailedText());
    }
    const int exitCode = shell.run();
    shell.shutdown();
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
    installChineseQtTranslations();
    showMessage(CrashHandler::messageText());
    return 0;
}

}  // namespace tillora
