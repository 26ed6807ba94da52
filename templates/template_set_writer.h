#pragma once

#include <QByteArray>
#include <QString>

#include "templates/template_set.h"

namespace tillora {

// Writes a template set in the stored byte format; the inverse of readTemplateSet. Fails (with
// `error` saying why) when window ids are not ascending, a text has no GBK form, a handler
// reference does not match the set's handler-name table, or recordOrder doesn't list every record.
bool writeTemplateSet(const TemplateSet& set, QByteArray& out, QString* error = nullptr);

}  // namespace tillora
