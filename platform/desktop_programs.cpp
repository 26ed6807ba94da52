#include "platform/desktop_programs.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tillora {

QStringList DesktopPrograms::calculatorNames() {
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
            QStringLiteral("galculator"),       QStringLiteral("mate-calc"),
            QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
}

QStringList DesktopPrograms::textEditorNames() {
    return {QStringLiteral("gedit"),    QStringLiteral("gnome-text-editor"),
            QStringLiteral("mousepad"), QStringLiteral("kate"),
            QStringLiteral("kwrite"),   QStringLiteral("xed"),
            QStringLiteral("pluma"),    QStringLiteral("featherpad"),
            QStringLiteral("leafpad")};
}

bool DesktopPrograms::startFirstFound(const QStringList& names, const QStringList& arguments,
                                      const QStringList& searchPaths) {
    for (const QString& name : names) {
        const QString program = QStandardPaths::findExecutable(name, searchPaths);
        if (program.isEmpty()) {
            continue;
        }
        // Started in the home folder: the program folder is ours, not the editor's.
        if (QProcess::startDetached(program, arguments, QDir::homePath())) {
            return true;
        }
    }
    return false;
}

bool DesktopPrograms::startCalculator() {
    return startFirstFound(calculatorNames());
}

bool DesktopPrograms::startTextEditor() {
    if (startFirstFound(textEditorNames())) {
        return true;
    }
    // No known editor: hand an empty text file to whatever the desktop opens text files with.
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
        return false;
    }
    QTemporaryFile note(QDir::tempPath() + QStringLiteral("/新建文本文档-XXXXXX.txt"));
    note.setAutoRemove(false);
    if (!note.open()) {
        return false;
    }
    const QString path = note.fileName();
    note.close();
    return startFirstFound({QStringLiteral("xdg-open")}, {path});
}

}  // namespace tillora
