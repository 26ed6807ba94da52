#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include "templates/template_set.h"

namespace tillora {

// Reads a whole template set strictly: every count, length and offset is checked against the data,
// record references (containers, children, handler sources) must name records of the same window,
// and the set must end exactly where its last window does. Handler references index into
// `handlerNames` (-1 = none); each event gets its handler's name.
// On failure `out` is left alone and `error` (when given) says what and where; the caller reports
// the set as unreadable.
bool readTemplateSet(QByteArrayView data, const QStringList& handlerNames, TemplateSet& out,
                     QString* error = nullptr);

}  // namespace tillora
