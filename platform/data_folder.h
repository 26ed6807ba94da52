#pragma once

#include <QString>

namespace tillora {

// Where the program keeps what it writes: Zeb.mdb, backup/ and tillora.conf. Run from the build
// folder, that is the program's own folder, as it always was. Installed (the package's library
// folder sits where the install layout puts it, relative to the executable), the program's folder
// is the system's and not writable: the data goes to the user's data folder instead.
class DataFolder {
  public:
    // The package's library folder (the print module) for a program in `programFolder`.
    static QString libraryFolder(const QString& programFolder);
    // True when the program in `programFolder` runs from an installed tree.
    static bool installed(const QString& programFolder);
    // The user's data folder for the installed program (~/.local/share/tillora).
    static QString userFolder();
    // The folder in use for a program in `programFolder`.
    static QString forProgram(const QString& programFolder);
    // The folder in use for the running program.
    static QString current();
    // Makes `folder` when it is missing, owner-only (it holds the shop's sales and the server's
    // address); an existing folder is left as it is. False when it can't be made.
    static bool ensure(const QString& folder);
};

}  // namespace tillora
