#pragma once

#include <QString>

#include "forms/window_logic.h"
#include "formset/printer_choice_handles.h"

namespace tillora {

class FormManager;
class FormWindow;
class HandlerRegistry;

// The printer choice window: the print system's printers with the current default chosen, and
// beside them this till's paper width and cash drawer; "保存" keeps the till's choices and makes
// the chosen printer the default destination, which every receipt is printed on.
class PrinterChoiceWindow : public WindowLogic<PrinterChoiceWindow> {
    Q_OBJECT

  public:
    explicit PrinterChoiceWindow(FormWindow* window);

    static void registerHandlers(HandlerRegistry& registry);

    // Lists the printers and selects the default; "枚举打印机失败" when the print system can't
    // be asked.
    void start();
    // Keeps the till's paper and drawer choices, makes the chosen printer the default and
    // closes; with no printer chosen the window stays.
    void save();
    void exit();

    static QString enumerationFailedText() { return QStringLiteral("枚举打印机失败"); }
    static QString saveFailedText() { return QStringLiteral("设置默认打印机失败！"); }
    static QString tillSaveFailedText() { return QStringLiteral("本收银机的打印设置保存失败！"); }

  private:
    PrinterChoiceHandles ui_;
};

// Opens the window modal over `owner` (the settings window). False when it can't be built.
bool openPrinterChoiceWindow(FormManager& forms, FormWindow* owner);

}  // namespace tillora
