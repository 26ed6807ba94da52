#pragma once

#include <QString>

#include "templates/template_set.h"

namespace tillora::formc {

// One window source compiled into its template. Ids of the window itself (window, class and
// window-record ids) are filled in later, once the order of the set is known; component and menu
// item ids count from 1 within the window. Handler references carry names only (index -1) until
// the set's handler table is built.
struct CompiledWindow {
    QString key;  // the generated id name
    bool start = false;
    QString file;
    WindowTemplate window;
};

// Reads and compiles one source file; throws SourceError naming the field at fault.
CompiledWindow compileWindowSource(const QString& path, const QString& resourcesDir);

}  // namespace tillora::formc
