#pragma once

#include <QString>

namespace tillora {

// Where the program lives. Every relative path of the program (the database, the export's work
// file) resolves in the program folder, whatever folder the program was started from.
class ProgramFolder {
  public:
    struct Parts {
        QString folder;    // without a trailing separator
        QString fileName;  // the executable's file name
    };

    // The executable's full real path (symbolic links resolved, as the process list shows it).
    static QString executablePath();

    // Splits a path at its last '/': a path without one gives an empty folder and the whole
    // text as file name; a file directly in the root keeps "/" as its folder.
    static Parts split(const QString& exePath);

    // The current program's folder and file name.
    static Parts current() { return split(executablePath()); }

    // Makes folder the current directory; false when it can't be entered.
    static bool enter(const QString& folder);

    // folder + "/" + name.
    static QString filePath(const QString& folder, const QString& name);
};

}  // namespace tillora
