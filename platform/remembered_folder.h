#pragma once

#include <QString>

namespace tillora {

// Where a file dialog of one kind ("export", "backup") opens on this till: the folder last used
// for that kind, kept in tillora-folders.conf of the data folder, while it still exists; else the
// user's documents folder, where an owner looks for what the till wrote (never the hidden data
// folder).
class RememberedFolder {
  public:
    static QString start(const QString& kind);
    // Keeps the folder of `chosenFile` for the next dialog of `kind`.
    static void remember(const QString& kind, const QString& chosenFile);
    // The user's documents folder (made when missing), or the home folder when there is none.
    static QString documents();
};

}  // namespace tillora
