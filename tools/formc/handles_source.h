#pragma once

#include <QByteArray>
#include <QString>

#include "tools/formc/window_source.h"

namespace tillora::formc {

// The file name of a window's handles header: the source's base name + "_handles.h".
QString handlesFileName(const CompiledWindow& window);

// The header declaring `<Key>Handles`: one typed reference per component, named as in the source,
// so that window logic addresses its components by name and a misspelt name fails to compile.
// Throws SourceError for a component name that can't be a C++ name.
QByteArray handlesHeader(const CompiledWindow& window);

}  // namespace tillora::formc
