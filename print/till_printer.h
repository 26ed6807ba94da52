#pragma once

#include <QString>

namespace tillora {

// The receipt printer belongs to the till, not to the shop's shared settings: its paper width
// and whether the cash drawer opens after a cash sale are kept in tillora-printer.conf in the
// program folder (the current folder while the program runs).
struct TillPrinter {
    int paperWidthMm = 58;  // 58 or 80
    bool openDrawer = false;

    static QString path();
    // What the file says; a missing or unreadable file gives 58 mm and no drawer.
    static TillPrinter read();
    // Replaces the file whole; false when it could not be written.
    bool write() const;
};

}  // namespace tillora
