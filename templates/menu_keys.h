#pragma once

#include <QString>

// The runtime's key table: a menu item's shortcut number picks its key here (from 1; 0 = none).
// Keys are in Qt's portable key-name form ("Ctrl+F"), which the window sources name them by.
namespace tillora::menu_keys {

// The key name of a shortcut number; empty for 0 or a number past the table.
QString name(qint32 index);
// The shortcut number of a key name; 0 when the table has no such key.
qint32 index(const QString& name);

}  // namespace tillora::menu_keys
