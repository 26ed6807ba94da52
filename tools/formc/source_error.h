#pragma once

#include <QString>

namespace tillora::formc {

// A fault in a window source; the compiler stops with the file and the field it names.
struct SourceError {
    QString message;
};

}  // namespace tillora::formc
