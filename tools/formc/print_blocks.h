#pragma once

#include <QByteArray>

namespace tillora::formc {

class JsonFields;

// The printer's and the draw panel's stored forms (version 1), from a component's source fields.
QByteArray compilePrinterBlock(JsonFields& fields);
QByteArray compileDrawPanelBlock(JsonFields& fields);

}  // namespace tillora::formc
