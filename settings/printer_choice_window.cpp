#include "settings/printer_choice_window.h"

#include <QWidget>

#include "forms/component.h"
#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "forms/services/message_service.h"
#include "formset/form_ids.h"
#include "print/system_printers.h"
#include "print/till_printer.h"

namespace tillora {

PrinterChoiceWindow::PrinterChoiceWindow(FormWindow* window) : WindowLogic(window), ui_(*window) {}

void PrinterChoiceWindow::registerHandlers(HandlerRegistry& r) {
    const auto on = [](void (PrinterChoiceWindow::*action)()) -> Handler {
        return [action](const EventArgs& args) {
            if (PrinterChoiceWindow* logic = of(args.window)) {
                (logic->*action)();
            }
            return Value();
        };
    };
    r.add(QStringLiteral("printerChoice.created"), [](const EventArgs& args) {
        (new PrinterChoiceWindow(args.window))->start();
        return Value();
    });
    r.add(QStringLiteral("printerChoice.saveClicked"), on(&PrinterChoiceWindow::save));
    r.add(QStringLiteral("printerChoice.exitClicked"), on(&PrinterChoiceWindow::exit));
}

void PrinterChoiceWindow::start() {
    ComboBox& list = ui_.组合框_打印机名称;
    // The first stop of the Tab order takes the focus, whatever order the controls were made in.
    if (QWidget* box = list.widget()) {
        box->setFocus(Qt::TabFocusReason);
    }
    const TillPrinter till = TillPrinter::read();
    ui_.组合框_纸宽.setCurrentIndex(till.paperWidthMm == 80 ? 1 : 0);
    ui_.选择框_打开钱箱.setChecked(till.openDrawer);
    const PrinterListing printers = SystemPrinters::list();
    list.setItems(printers.names);
    list.setCurrentIndex(static_cast<int>(printers.names.indexOf(printers.defaultName)));
    if (!printers.ok) {
        showMessage(enumerationFailedText(), 0, {}, window_);
    }
}

void PrinterChoiceWindow::save() {
    TillPrinter till;
    till.paperWidthMm = ui_.组合框_纸宽.currentIndex() == 1 ? 80 : 58;
    till.openDrawer = ui_.选择框_打开钱箱.isChecked();
    if (!till.write()) {
        showMessage(tillSaveFailedText(), 0, {}, window_);
        return;
    }
    ComboBox& list = ui_.组合框_打印机名称;
    const int index = list.currentIndex();
    const QStringList names = list.items();
    if (index < 0 || index >= names.size()) {
        return;
    }
    if (!SystemPrinters::setDefault(names.at(index))) {
        showMessage(saveFailedText(), 0, {}, window_);
        return;
    }
    window_->closeLater();
}

void PrinterChoiceWindow::exit() {
    window_->closeLater();
}

bool openPrinterChoiceWindow(FormManager& forms, FormWindow* owner) {
    return forms.open(static_cast<qint32>(FormId::PrinterChoice), true, owner);
}

}  // namespace tillora
