#pragma once

#include <QIcon>

namespace tillora {

// The program's icon for its windows: the picture the package installs for the menu
// (packaging/tillora.svg), drawn here in the sizes window managers ask for, as Qt reads no SVG
// without a plugin the till may not have.
QIcon programIcon();

}  // namespace tillora
