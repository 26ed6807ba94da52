#pragma once

#include <QString>
#include <QStringList>

namespace tillora {

// Starts the desktop's own calculator and text editor for the 附加功能 menu. Nothing waits for
// them and nothing checks how they end.
class DesktopPrograms {
  public:
    static bool startCalculator();
    static bool startTextEditor();

    // Starts the first of names found (in searchPaths, or the PATH when empty) with arguments,
    // detached. False when none exists or none could be started.
    static bool startFirstFound(const QStringList& names, const QStringList& arguments = {},
                                const QStringList& searchPaths = {});

    static QStringList calculatorNames();
    static QStringList textEditorNames();
};

}  // namespace tillora
