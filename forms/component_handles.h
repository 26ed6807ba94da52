#pragma once

#include <QStringList>
#include <QtGlobal>

#include "forms/component.h"
#include "forms/form_window.h"

namespace tillora {

// Support for the handle structs tillora_formc generates per window (formset/<source>_handles.h).
// The window is always built from the same sources the handles come from, so a component that is
// missing or of another kind is a broken build, not something window logic could handle: it stops
// the program at once instead of leaving a null pointer for later.
template <typename T>
T& componentHandle(const FormWindow& window, const char* name) {
    T* component = dynamic_cast<T*>(window.component(QString::fromUtf8(name)));
    if (component == nullptr) {
        qFatal("window %s: no component %s of the kind its source gives",
               qUtf8Printable(window.block().title), name);
    }
    return *component;
}

// Appends `name` to `out` when the window has no component of that name and kind.
template <typename T>
void checkComponentHandle(const FormWindow& window, const char* name, QStringList& out) {
    if (dynamic_cast<T*>(window.component(QString::fromUtf8(name))) == nullptr) {
        out.append(QString::fromUtf8(name));
    }
}

}  // namespace tillora
